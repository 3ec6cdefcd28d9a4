#ifndef ONCE
#define ONCE 1
#include "input.fx"
#endif
#if ONCE / 0
#error
#elif (1 + 2) * 3 % 4 == 1 || !defined(NONE)
float A;
#endif
technique T { pass P { fragment { void main() { oColor = vec4(A); } } } }
