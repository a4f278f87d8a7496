#include "platform/Memoria.h"

#include <malloc.h>

namespace kov {

void AjustarAlocadorMemoria() {
    // Blocos de até 64 MiB vêm do heap (não de mmap próprio), e o topo do heap só é devolvido
    // ao sistema quando passa de 256 MiB livres.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

}  // namespace kov
