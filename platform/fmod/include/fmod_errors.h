// Human-readable text of each result code.
#pragma once

#include "fmod.h"

inline const char* FMOD_ErrorString(FMOD_RESULT result)
{
    switch (result) {
    case FMOD_OK:
        return "No errors.";
    case FMOD_ERR_UNINITIALIZED:
        return "The sound system has not been initialised.";
    case FMOD_ERR_INITIALIZED:
        return "The sound system is already initialised.";
    case FMOD_ERR_INVALID_PARAM:
        return "An invalid parameter was passed.";
    case FMOD_ERR_FILE_NOTFOUND:
        return "File not found.";
    case FMOD_ERR_FORMAT:
        return "Unsupported or unreadable sound file format.";
    case FMOD_ERR_FILE_BAD:
        return "Error reading the sound file.";
    case FMOD_ERR_CHANNEL_ALLOC:
        return "No free channel to play the sound on.";
    case FMOD_ERR_OUTPUT_INIT:
        return "The sound output could not be opened.";
    case FMOD_ERR_MEMORY:
        return "Not enough memory.";
    case FMOD_ERR_INVALID_HANDLE:
        return "The channel handle is invalid (the sound ended or was stopped).";
    default:
        return "Unknown error.";
    }
}
