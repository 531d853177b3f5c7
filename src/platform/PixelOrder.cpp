#include "platform/PixelOrder.h"

void SwapRedAndBlue(const uint8_t* from, uint8_t* to, size_t count) {
    for (size_t i = 0; i < count; ++i, from += 3, to += 3) {
        const uint8_t first = from[0];
        const uint8_t second = from[1];
        const uint8_t third = from[2];
        to[0] = third;
        to[1] = second;
        to[2] = first;
    }
}
