/* The Windows C runtime's generator, one sequence for the whole program.
 * Defining rand and srand here replaces the C library's at link time; the
 * collision-grid builder keeps its own generator so loading never shifts it. */
static unsigned int gRandState = 1u;

int rand(void)
{
    gRandState = gRandState * 214013u + 2531011u;
    return (int)((gRandState >> 16) & 0x7FFFu);
}

void srand(unsigned int seed)
{
    gRandState = seed;
}
