#include "core/ConfigTokenizer.h"

#include "core/ConfigSyntax.h"
#include "core/GameFiles.h"

ConfigTokenizer::ConfigTokenizer(const std::string& path_, bool* ok)
    : path(path_), commentChars(kConfigCommentChars), delimiters(kConfigDelimiters), numberChars(kConfigNumberChars),
      openPath(ResolveGamePath(path_)), stream(new std::ifstream(openPath)), lookupStream(new std::ifstream(openPath))
{
    if (ok) {
        *ok = stream->is_open() && lookupStream->is_open();
    }
}

ConfigTokenizer::~ConfigTokenizer() = default;

bool ConfigTokenizer::ReadLine(std::istream* in, std::vector<std::string>& tokens)
{
    if (!in) {
        return false;
    }
    return ReadConfigRecord(*in, kConfigTokenizerMaxLine, tokens, commentChars.c_str(), delimiters.c_str());
}
