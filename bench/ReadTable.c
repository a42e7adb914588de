/* The floor of a command-line start: a C program that opens elements.dat beside it, reads it
 * to its end and closes it, and nothing else. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(void) {
    char Path[4096];
    const ssize_t Length = readlink("/proc/self/exe", Path, sizeof Path - 16);
    if (Length <= 0)
        return 1;
    Path[Length] = '\0';
    strcpy(strrchr(Path, '/') + 1, "elements.dat");
    FILE* Table = fopen(Path, "rb");
    if (!Table)
        return 1;
    char Buffer[65536];
    size_t Total = 0, Count;
    while ((Count = fread(Buffer, 1, sizeof Buffer, Table)) > 0)
        Total += Count;
    fclose(Table);
    return Total > 0 ? 0 : 1;
}
