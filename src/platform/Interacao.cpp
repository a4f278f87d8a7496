#include "platform/Interacao.h"

namespace kov {

const char* Abortar::what() const noexcept { return "Operação abortada"; }

}  // namespace kov
