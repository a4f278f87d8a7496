#include "platform/PontoParada.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace kov {

void PontoDeParada(const char* nome) {
    const char* alvo = std::getenv("KOV_TESTE_PARAR_EM");
    if (alvo && std::strcmp(alvo, nome) == 0) ::_exit(CODIGO_PARADA_TESTE);
}

void PontoDeParadaDurante(const char* nome) {
    const char* alvo = std::getenv("KOV_TESTE_PARAR_EM");
    if (!alvo) return;
    const std::string prefixo = std::string(nome) + "@";
    if (std::strncmp(alvo, prefixo.c_str(), prefixo.size()) != 0) return;
    const long micros = std::atol(alvo + prefixo.size());
    std::thread([micros] {
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
        ::_exit(CODIGO_PARADA_TESTE);
    }).detach();
}

}  // namespace kov
