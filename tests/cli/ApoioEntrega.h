#pragma once
// Instalação de teste pronta para a entrega pelo kov-cli: o programa copiado, o par de chaves
// da cifra e o substituto do transmissor na seção ENVIAX do KOV.ini.
#include <filesystem>
#include <string>

#include "apoio/BaseTeste.h"
#include "apoio/Processo.h"
#include "files/CifraRSA.h"

namespace kov::teste {

// Devolve o caminho do kov-cli instalado.
inline std::string PrepararEntrega(InstalacaoTeste& inst) {
    const std::string cli = instalarCli(inst.exe.string());
    GravarParChavesRSA(GerarParChavesRSA(), inst.exe.string());
    inst.escreverIni("[KOV]\r\nDatabase=..\\BD\\KOV.GDB\r\n\r\n[ENVIAX]\r\nCaminho=" +
                     std::filesystem::path(KOV_ENVIAX).parent_path().string() + "\r\n");
    return cli;
}

}  // namespace kov::teste
