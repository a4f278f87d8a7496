#include "platform/Programa.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace kov {

std::string diretorioPrograma() {
    std::string alvo;
    std::string buf(4096, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) break;
        if (static_cast<size_t>(n) < buf.size()) {
            alvo.assign(buf.data(), static_cast<size_t>(n));
            break;
        }
        buf.resize(buf.size() * 2);
    }
    // Executável substituído enquanto roda: o kernel acrescenta " (deleted)".
    const std::string apagado = " (deleted)";
    if (alvo.size() > apagado.size() && alvo.compare(alvo.size() - apagado.size(), apagado.size(), apagado) == 0)
        alvo.resize(alvo.size() - apagado.size());

    std::string pasta;
    const auto barra = alvo.rfind('/');
    if (!alvo.empty() && barra != std::string::npos) {
        pasta = alvo.substr(0, barra + 1);
    } else {
        std::error_code ec;
        pasta = std::filesystem::current_path(ec).string();
        if (pasta.empty() || pasta.back() != '/') pasta += '/';
    }
    return pasta;
}

}  // namespace kov
