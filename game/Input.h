// Keyboard and mouse input with key bindings. Placeholder until input is written.
#pragma once

class Input {
public:
    // Reads the devices and posts key and mouse messages. The argument is the
    // raw frame time in microseconds; the input does not use it.
    void Update(int frameTimeMicroseconds);
};

extern Input* gInput;
