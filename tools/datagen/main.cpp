// lv_datagen <run tree> <group>...: writes the generated data of each group into the
// run tree (Meshes/, Maps/, Textures/, sounds/, bin/UI/).
#include <cstdio>
#include <string>

#include "DataSet.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s <run tree> <meshes|character|maps|textures|ui|sounds>...\n", argv[0]);
        return 2;
    }
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        if (!gen::IsGroup(argv[i])) {
            fprintf(stderr, "Unknown data group %s\n", argv[i]);
            status = 1;
            continue;
        }
        const int n = gen::WriteGroup(argv[1], argv[i]);
        if (n < 0)
            status = 1;
        else
            printf("%s: %d files\n", argv[i], n);
    }
    return status;
}
