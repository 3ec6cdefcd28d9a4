// The draw-list steps every shipped chain starts with: the opaque, skinned,
// transparent and additive render lists drawn into the scene target. Chains
// written by tests and benchmarks put their own header before them and their
// own steps after.
#pragma once

inline const char* const kSceneDrawListSteps = R"(Step DrawList
 Name Opaque
 List 0
 Target 0
 Clears END
 RSBefore END
 RSAfter END
 SSBefore END
 SSAfter END
 Tex END
Step DrawList
 Name Skinned
 List 2
 Target 0
 Clears END
 RSBefore END
 RSAfter END
 SSBefore END
 SSAfter END
 Tex END
Step DrawList
 Name Transparent
 List 1
 Target 0
 Clears END
 RS 14 0
 RSBefore END
 RS 14 1
 RSAfter END
 SSBefore END
 SSAfter END
 Tex END
Step DrawList
 Name Additive
 List 3
 Target 0
 Clears END
 RS 14 0
 RS 19 2
 RS 20 2
 RSBefore END
 RS 14 1
 RS 19 5
 RS 20 6
 RSAfter END
 SSBefore END
 SSAfter END
 Tex END
)";
