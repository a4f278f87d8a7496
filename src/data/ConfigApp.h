#pragma once
// Identidade e versão do sistema.
#include <string>

namespace kov {

struct TConfigApp {
    std::string Versao = "7.07.10";
    std::string Release;
    bool VersaoTeste = false;
    bool GeraLog = true;
    std::string NomeArqLog = "ArqLogKOV";
    int MaxNumLinhas = 1000;
    std::string SiglaSistema = "KOV";
    std::string NomeSistema = "PRELO";
};

}  // namespace kov
