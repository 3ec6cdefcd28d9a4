#include "xfile/XCursor.h"

bool XCursor::Fail(const std::string& message)
{
    mError->message = "\"" + std::string(mNode.type) + "\"" +
                      (mNode.name.empty() ? std::string() : " \"" + std::string(mNode.name) + "\"") + ": " + message;
    mError->line = mNode.line;
    return false;
}

bool XCursor::FailMissing(const char* what)
{
    return Fail(std::string("missing ") + what);
}

bool XCursor::FailOutOfRange(const char* what)
{
    return Fail(std::string(what) + " out of range");
}

bool XCursor::FailNotInteger(const char* what)
{
    return Fail(std::string(what) + " is not a count or index");
}

bool XCursor::FailIndex(double v, DWORD limit, const char* what)
{
    return Fail(std::string(what) + " " + std::to_string((unsigned long long)v) + " out of range (limit " +
                std::to_string(limit) + ")");
}

bool XCursor::FailCount(double v, const char* what)
{
    return Fail(std::string(what) + " " + std::to_string((unsigned long long)v) + " exceeds the data present");
}

bool XCursor::Matrix(D3DXMATRIX* value, const char* what)
{
    for (int i = 0; i < 16; ++i)
        if (!Float(&(&value->_11)[i], what)) return false;
    return true;
}
