#pragma once
// Utilidades sem estado da entrega e da cópia de segurança: a reconstrução de um arquivo de
// base pela ferramenta de cópia do servidor (gbak), rodada como processo filho.
#include <string>
#include <vector>

namespace kov {

// Resultado de uma ferramenta externa: o código de saída e o que ela escreveu (saída e erros).
struct ResultadoFerramenta {
    int codigo = -1;
    std::string saida;
};

// Roda o programa (caminho completo) com os argumentos e espera o fim, guardando o que ele
// escreve. Lança ErroSistema quando o programa não pode ser iniciado.
ResultadoFerramenta RodarFerramenta(const std::string& programa, const std::vector<std::string>& argumentos,
                                    const std::string& pastaTrabalho = {});

// A ferramenta de cópia da base: "gbak" da pasta do programa quando existe, senão a do
// sistema (/usr/bin, pacote firebird3.0-utils).
std::string ProgramaGbak(const std::string& dirPrograma);
// A de conserto do cabeçalho de uma cópia feita sob a trava de cópia física (nbackup -F).
std::string ProgramaNbackup(const std::string& dirPrograma);

// Argumentos das duas linhas de comando: cópia "-b -t -l" da base para o arquivo de
// reconstrução e restauração "-c -r" do arquivo de reconstrução para a base.
std::vector<std::string> ArgumentosCopiaGbak(const std::string& base, const std::string& usuario,
                                             const std::string& senha, const std::string& arquivoReconstrucao);
std::vector<std::string> ArgumentosRestauracaoGbak(const std::string& arquivoReconstrucao, const std::string& usuario,
                                                   const std::string& senha, const std::string& base);

class TDRUUtils {
public:
    // Reconstrói o arquivo de base: cópia para o arquivo de reconstrução (pasta da base +
    // "bkp_tmp_Ignore.gbk") e restauração dela num arquivo novo, que só então toma o lugar da
    // base. Cada passo confere o código de saída e as mensagens de erro da ferramenta; numa
    // falha a base fica como estava e 'motivo' recebe o que a ferramenta disse. O arquivo de
    // reconstrução é apagado em todos os casos.
    static bool ReconstroiBase(const std::string& base, const std::string& usuario, const std::string& senha,
                               const std::string& dirPrograma, std::string* motivo = nullptr);
};

}  // namespace kov
