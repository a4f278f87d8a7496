// Alvo libFuzzer: a importação CSV dos cadastros até a fronteira da base: o leitor de
// registros (aspas, quebras de linha, BOM, Windows-1252 ou UTF-8, limite do registro), o
// cabeçalho, o formato de cada linha e o contribuinte montado com os nomes trocados pelos
// códigos. O primeiro byte escolhe a planilha (contribuintes ou responsáveis). Cada campo
// lido é UTF-8 válido e as linhas do arquivo só avançam.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ApoioFuzz.h"
#include "data/Codificacao.h"
#include "data/ImportacaoCadastros.h"

namespace {

// Tabelas pequenas com um nome repetido (a busca ambígua) e acentos (maiúsculas em UTF-8)
const kov::TabelasCadastro TABELAS{
    {{49145, "Vila Nova"}, {49146, "São João"}, {49147, "SÃO JOÃO "}, {51, "Ilha"}},
    {{1, "Comércio"}, {2, "Indústria"}},
    {{0, "Não atribuído"}, {3, "Maria"}, {4, "José Ávila"}},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    if (tamanho == 0) return 0;
    const auto tipo = dados[0] & 1 ? kov::TipoCadastro::Responsaveis : kov::TipoCadastro::Contribuintes;
    const std::string texto(reinterpret_cast<const char*>(dados) + 1, tamanho - 1);
    try {
        kov::PlanilhaCadastro p = kov::LerPlanilha(texto, tipo);
        kov::RegistroCSV r;
        int ultima = p.linhaCabecalho();
        while (p.proximo(r)) {
            if (r.linha <= ultima || r.linhaFinal < r.linha) kov::fuzz::Falhar("linhas fora de ordem");
            ultima = r.linhaFinal;
            for (const auto& c : r.campos)
                if (!kov::Utf8Valido(c) || !kov::fuzz::Utf8PeloIconv(c)) kov::fuzz::Falhar("campo que não é UTF-8");
            try {
                kov::ConferirLinhaPlanilha(p, r);
                if (tipo == kov::TipoCadastro::Contribuintes) kov::ContribuinteDaLinha(p, r, TABELAS);
            } catch (const kov::LinhaRecusada&) {
            }
        }
    } catch (const kov::ErroArquivoCSV&) {
    }
    return 0;
}
