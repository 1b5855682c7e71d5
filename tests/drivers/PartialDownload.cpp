// A download library that has only the two entry points the panel calls,
// both answering success: the loader must still refuse it.
#include <cstdint>

#include "drivers/common/Export.h"

KBR_DLL_EXPORT double ZOLVANE_GetQuatusVersion(void) { return 20.1; }
KBR_DLL_EXPORT int32_t ZOLVANE_JtagDownload(const char*, int32_t, uint8_t, int32_t, int32_t, uint8_t,
                                            uint8_t) {
    return 1;
}
