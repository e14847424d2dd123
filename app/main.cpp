// Program start. The window is not built yet; until it is, the program says so and ends.
#include <cstdio>

int main() {
    std::puts("Vellmora v1.0: the window is not built yet.");
    return 0;
}
