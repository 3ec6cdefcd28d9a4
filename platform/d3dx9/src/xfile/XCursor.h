// Reads the numbers of one data object in order, checking every count against
// what the object really holds before anything is allocated from it. The
// readers call these once per number of a mesh, so the checks are inline and
// only the failures, which build messages, are out of line.
#pragma once

#include "xfile/XDocument.h"
#include "xfile/XScene.h"

#include <cfloat>
#include <cstdint>
#include <string>

class XCursor
{
public:
    XCursor(const XNode& node, XLoadError* error) : mNode(node), mError(error) {}

    bool Float(float* value, const char* what)
    {
        if (mPos >= mNode.numbers.size()) return FailMissing(what);
        const double v = mNode.numbers[mPos++];
        if (!(v >= -double(FLT_MAX) && v <= double(FLT_MAX))) return FailOutOfRange(what);
        *value = float(v);
        return true;
    }
    // An integer in [0, limit).
    bool Index(DWORD* value, DWORD limit, const char* what)
    {
        double v = 0.0;
        if (!Integer(&v, what)) return false;
        if (v >= double(limit)) return FailIndex(v, limit, what);
        *value = DWORD(v);
        return true;
    }
    // A count of items that take at least minValuesPerItem numbers each.
    bool Count(DWORD* value, size_t minValuesPerItem, const char* what)
    {
        double v = 0.0;
        if (!Integer(&v, what)) return false;
        if (minValuesPerItem > 0 && v * double(minValuesPerItem) > double(Remaining())) return FailCount(v, what);
        *value = DWORD(v);
        return true;
    }
    bool Matrix(D3DXMATRIX* value, const char* what);
    size_t Remaining() const { return mNode.numbers.size() - mPos; }
    bool Fail(const std::string& message);

private:
    bool Integer(double* value, const char* what)
    {
        if (mPos >= mNode.numbers.size()) return FailMissing(what);
        const double v = mNode.numbers[mPos++];
        // In range first, so the conversion that tests for a whole number is defined.
        if (!(v >= 0.0 && v <= 4294967295.0) || double(uint32_t(v)) != v) return FailNotInteger(what);
        *value = v;
        return true;
    }
    bool FailMissing(const char* what);
    bool FailOutOfRange(const char* what);
    bool FailNotInteger(const char* what);
    bool FailIndex(double v, DWORD limit, const char* what);
    bool FailCount(double v, const char* what);

    const XNode& mNode;
    XLoadError* mError;
    size_t mPos = 0;
};
