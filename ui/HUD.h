// One HUD page: the elements shown together, drawn in order. Page 0 is the
// empty page shown when no menu is open; each menu is the page of its id.
//
// Ownership: a page owns its elements and deletes them with itself; the
// HUD manager owns the pages.
#pragma once

#include <vector>

class HUDElement;

class HUD
{
public:
    HUD() = default;
    virtual ~HUD();
    HUD(const HUD&) = delete;
    HUD& operator=(const HUD&) = delete;

    // Takes ownership.
    void AddElement(HUDElement* element) { elements.push_back(element); }
    const std::vector<HUDElement*>& GetElements() const { return elements; }

private:
    std::vector<HUDElement*> elements;
};
