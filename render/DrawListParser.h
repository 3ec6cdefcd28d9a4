// Reads the lines of a draw-list file into a DrawList. The first token of
// every line is a free label; values start at the second token. Every index
// is checked here, so a chain that loaded never reaches outside its tables.
#pragma once

#include <string>

class ConfigTokenizer;
class DrawList;

// Fills `out` from the tokenizer's lines; `path` names the file in reports.
// Stops quietly at the first line that is no step; every other problem is
// reported once and the record or step it spoils is dropped.
void ParseDrawList(ConfigTokenizer& input, const std::string& path, DrawList& out);
