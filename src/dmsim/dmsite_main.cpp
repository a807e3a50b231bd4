// dmsite: creates and inspects emulated DM sites.
#include <cstdio>

int main() {
    std::puts("dmsite: no commands yet");
    return 1;
}
