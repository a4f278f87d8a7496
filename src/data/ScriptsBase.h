#pragma once
// Scripts SQL da base distribuída (pasta db/), embutidos no programa na compilação.
#include <string_view>
#include <vector>

namespace kov {

struct ScriptBase {
    std::string_view nome;
    std::string_view texto;
};

// Em ordem de execução (pelo prefixo numérico do nome do arquivo).
const std::vector<ScriptBase>& scriptsBase();

}  // namespace kov
