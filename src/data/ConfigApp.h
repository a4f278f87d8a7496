#pragma once
// Identidade e versão do sistema.
#include <string>

namespace kov {

class Interacao;

struct TConfigApp {
    std::string Versao = "7.07.10";
    std::string Release;
    bool VersaoTeste = false;
    bool GeraLog = true;
    std::string NomeArqLog = "ArqLogKOV";
    int MaxNumLinhas = 1000;
    std::string SiglaSistema = "KOV";
    std::string NomeSistema = "PRELO";

    // Estado do arquivo de log (nenhuma parte do sistema escreve nele).
    int NumLinhasLog = 0;      // contador de linhas do arquivo de log
    std::string ArquivoLog;    // arquivo de texto associado: pasta do programa + nome
};

// Regra da troca de NomeArqLog: guarda o nome, zera o contador de linhas e,
// só quando GeraLog está ligado e MaxNumLinhas não é 0:
//   - nome aparado vazio: mostra "Não foi informado o nome do arquivo de Log de controle
//     da aplicação!" e desliga GeraLog;
//   - senão associa o arquivo pasta + nome e, se ele existe, conta suas linhas no
//     contador; um erro de E/S ao abri-lo ou lê-lo desliga GeraLog.
// 'pasta' é a pasta do programa (DiretorioAplicacao()) quando vazia; barras invertidas
// no nome são tratadas como separador.
void DefinirNomeArqLog(TConfigApp& c, const std::string& nome, Interacao* ui = nullptr,
                       const std::string& pasta = {});

}  // namespace kov
