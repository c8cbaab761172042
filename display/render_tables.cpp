#include "display/render_tables.h"

RenderTablesRecord RenderTables;

void BuildRenderTables() {
    for (uint32_t i = 0; i < 256; ++i) {
        RenderTables.Fill8[i] = i * 0x01010101u;
        uint32_t nibble = 0;
        for (int k = 0; k < 4; ++k)
            if (i & (8u >> k)) nibble |= 0xFFu << (8 * k);
        RenderTables.NibbleMask8[i] = nibble;
        RenderTables.PairMask16[i] = ((i & 2) ? 0x0000FFFFu : 0) | ((i & 1) ? 0xFFFF0000u : 0);
        for (int k = 0; k < 8; ++k)
            RenderTables.ByteMask32[i][k] = (i & (0x80u >> k)) ? 0 : 0xFFFFFFFFu;
    }
}
