#pragma once
// Atualização da tabela CNAE a partir dos arquivos compactados enviados com o programa:
// TabelaCNAE20.zip (códigos novos) e Tabela_CNAEF_CNAE.zip (correspondência do código
// antigo para o novo), ambos na pasta da base. Roda uma única vez, na atualização da
// base que sai da versão 7.00.04.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kov {

namespace fb {
class Conexao;
class Transacao;
}  // namespace fb

// Trabalho extra gravado na mesma transação de uma carga, logo antes de confirmá-la (a marca
// de que a carga foi feita, na atualização da base).
using AntesDeConfirmar = std::function<void(fb::Transacao&)>;

class AtualizacaoCNAE {
public:
    AtualizacaoCNAE(fb::Conexao& conexao, std::string pastaBanco);

    // Carregam os arquivos; devolvem sempre falso e lançam ErroSistema em caso de falha.
    // Sem o arquivo compactado não fazem nada.
    bool AtualizarTabelaCNAE(const AntesDeConfirmar& antes = {});
    bool CarregarCorrespondenciaCNAE(const AntesDeConfirmar& antes = {});
    // Trocam os códigos antigos pelos novos; falso depois de uma falha (desfeita em silêncio).
    bool ConverterCNAEContribuintes(const AntesDeConfirmar& antes = {});
    bool ConverterCNAEDocumentos(const AntesDeConfirmar& antes = {});

private:
    // Extrai o arquivo compactado e devolve as linhas do CSV, que é apagado logo depois de
    // lido: uma carga interrompida não deixa o CSV na pasta. Nada quando não há arquivo.
    std::optional<std::vector<std::string>> extrair(const std::string& zip, const std::string& csv);
    bool converter(const std::string& selecao, const std::string& atualizacao, const std::string& chave,
                   const AntesDeConfirmar& antes);

    fb::Conexao& c_;
    std::string pasta_;
};

// Divide uma linha dos arquivos CNAE: corta em ";", pula brancos no início de cada campo,
// descarta campos vazios e não corta em ";" entre aspas simples ou duplas (as aspas ficam).
std::vector<std::string> DividirLinhaCNAE(const std::string& linha);

// Extrai todas as entradas do ZIP para a pasta, sem as pastas internas, sobrescrevendo.
// Devolve o número de entradas do arquivo; erros ao extrair uma entrada são ignorados.
int ExtrairZip(const std::string& arquivo, const std::string& pasta);

// Texto dos arquivos da administração: UTF-8 válido fica como está; senão é Windows-1252.
std::string TextoParaUtf8(const std::string& texto);

}  // namespace kov
