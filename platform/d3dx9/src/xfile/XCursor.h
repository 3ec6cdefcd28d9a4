// Reads the numbers of one data object in order, checking every count against
// what the object really holds before anything is allocated from it.
#pragma once

#include "xfile/XDocument.h"
#include "xfile/XScene.h"

#include <string>

class XCursor
{
public:
    XCursor(const XNode& node, XLoadError* error) : mNode(node), mError(error) {}

    bool Float(float* value, const char* what);
    // An integer in [0, limit).
    bool Index(DWORD* value, DWORD limit, const char* what);
    // A count of items that take at least minValuesPerItem numbers each.
    bool Count(DWORD* value, size_t minValuesPerItem, const char* what);
    bool Matrix(D3DXMATRIX* value, const char* what);
    size_t Remaining() const { return mNode.numbers.size() - mPos; }
    bool Fail(const std::string& message);

private:
    bool Integer(double* value, const char* what);

    const XNode& mNode;
    XLoadError* mError;
    size_t mPos = 0;
};
