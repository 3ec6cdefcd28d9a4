#include "xfile/XCursor.h"

#include <cfloat>
#include <cmath>

bool XCursor::Fail(const std::string& message)
{
    mError->message = "\"" + std::string(mNode.type) + "\"" +
                      (mNode.name.empty() ? std::string() : " \"" + std::string(mNode.name) + "\"") + ": " + message;
    mError->line = mNode.line;
    return false;
}

bool XCursor::Float(float* value, const char* what)
{
    if (mPos >= mNode.numbers.size()) return Fail(std::string("missing ") + what);
    const double v = mNode.numbers[mPos++];
    if (std::fabs(v) > FLT_MAX) return Fail(std::string(what) + " out of range");
    *value = (float)v;
    return true;
}

bool XCursor::Integer(double* value, const char* what)
{
    if (mPos >= mNode.numbers.size()) return Fail(std::string("missing ") + what);
    const double v = mNode.numbers[mPos++];
    if (v < 0.0 || v != std::floor(v) || v > 4294967295.0) return Fail(std::string(what) + " is not a count or index");
    *value = v;
    return true;
}

bool XCursor::Index(DWORD* value, DWORD limit, const char* what)
{
    double v = 0.0;
    if (!Integer(&v, what)) return false;
    if (v >= (double)limit)
        return Fail(std::string(what) + " " + std::to_string((unsigned long long)v) + " out of range (limit " +
                    std::to_string(limit) + ")");
    *value = (DWORD)v;
    return true;
}

bool XCursor::Count(DWORD* value, size_t minValuesPerItem, const char* what)
{
    double v = 0.0;
    if (!Integer(&v, what)) return false;
    if (minValuesPerItem > 0 && v * (double)minValuesPerItem > (double)Remaining())
        return Fail(std::string(what) + " " + std::to_string((unsigned long long)v) + " exceeds the data present");
    *value = (DWORD)v;
    return true;
}

bool XCursor::Matrix(D3DXMATRIX* value, const char* what)
{
    for (int i = 0; i < 16; ++i)
        if (!Float(&(&value->_11)[i], what)) return false;
    return true;
}
