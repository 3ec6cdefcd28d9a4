#include "xfile/XFileLoad.h"

#include "MeshInternal.h"
#include "Win32Error.h"
#include "Win32Path.h"
#include "xfile/XDocument.h"

#include <cstdio>

namespace {

bool ReadWholeFile(const std::string& path, std::string* text, std::string* error)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = "cannot open the file";
        return false;
    }
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
    if (!ok)
        *error = "cannot read the file";
    else if ((unsigned long)size > kXMaxFileBytes)
        *error = "file too large (" + std::to_string(size) + " bytes)";
    if (ok && (unsigned long)size <= kXMaxFileBytes) {
        text->resize((size_t)size);
        ok = size == 0 || std::fread(&(*text)[0], 1, (size_t)size, f) == (size_t)size;
        if (!ok) *error = "cannot read the file";
    } else {
        ok = false;
    }
    std::fclose(f);
    return ok;
}

} // namespace

bool XLoadSceneText(std::string text, const std::string& name, XSceneData* scene)
{
    XDocument doc;
    if (!doc.Parse(std::move(text))) {
        Win32ReportError("Mesh file unreadable: " + doc.Error(), name, doc.ErrorLine());
        return false;
    }
    XLoadError error;
    if (!XReadScene(doc, scene, &error)) {
        Win32ReportError("Mesh file unreadable: " + error.message, name, error.line);
        return false;
    }
    return true;
}

bool XLoadSceneFile(const std::string& windowsPath, XSceneData* scene)
{
    const std::string path = Win32ResolvePath(windowsPath);
    std::string text, error;
    if (!ReadWholeFile(path, &text, &error)) {
        Win32ReportError("Mesh file unreadable: " + error, windowsPath, 0);
        return false;
    }
    return XLoadSceneText(std::move(text), windowsPath, scene);
}
