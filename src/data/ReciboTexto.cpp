#include "data/ReciboTexto.h"

#include <algorithm>
#include <cstdio>

#include "data/Codificacao.h"
#include "data/untUtils.h"

namespace kov {

namespace {

std::string doisDigitos(const std::optional<int>& mes) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", mes.value_or(0));
    return buf;
}

std::string valor(const Quantia& q) { return v(q).formatado(); }

std::string direita(const std::string& t, int largura) { return CompletarDireita(t, " ", largura); }
std::string esquerda(const std::string& t, int largura) { return CompletarEsquerda(t, " ", largura); }

}  // namespace

std::string ParaWindows1252(const std::string& utf8) { return ConverterTexto(utf8, "UTF-8", "WINDOWS-1252"); }

std::vector<std::string> LinhasReciboTexto(const Declaracao& d, const std::map<int, std::string>& nomes) {
    const Documento& doc = d.doc;
    const std::string periodo = std::to_string(doc.PERIODO.value_or(0));
    const bool simplificado = doc.REGIME_ID.value_or(0) >= 5;
    Entrada e{};
    Saida s{};
    Kov k{};
    if (d.entrada) e = *d.entrada;
    if (d.saida) s = *d.saida;
    if (d.kov) k = *d.kov;

    std::vector<std::string> l = {
        "",
        direita("Período de referência: ", 30) + doisDigitos(doc.MESINICIAL) + "/" + periodo + " a " +
            doisDigitos(doc.MESFINAL) + "/" + periodo,
        direita("Substituição da declaração: ", 30) + doc.SUBSTITUICAO,
        "",
        "",
        direita("Contribuinte: ", 30) + d.NOME_CONTRIBUINTE,
        direita(direita("Inscrição Estadual: ", 30) + d.IE_CONTRIBUINTE, 60),
        direita("Município: ", 30) + d.DESCRICAO_MUNICIPIO,
        direita("Regime de recolhimento: ", 30) + d.DESCRICAO_TIPOREGIME,
        "",
        "",
        esquerda("Apuração do Tessiva - KOV", 38),
        "",
        "          PRELO - Valor Contábil",
        "  Total das Entradas " + esquerda(valor(simplificado ? e.VCTOTALSIMPLES : e.VCTOTAL), 20),
        "  Total das Saídas   " + esquerda(valor(simplificado ? s.VCTOTALSIMPLES : s.VCTOTAL), 20),
        "",
        "          KOV",
        "  Saídas             " + esquerda(valor(k.SAIDAS), 20),
        "  Entradas           " + esquerda(valor(k.ENTRADAS), 20),
        "  Outras Entradas    " + esquerda(valor(k.OUTRASENTRADAS), 20),
        "  Valor Adicionado   " + esquerda(valor(k.TOTALKOV), 20),
        "",
        "",
    };
    if (!d.detalhamentoEntrada.empty()) {
        auto nome = [&](int cod) {
            const auto it = nomes.find(cod);
            return it == nomes.end() ? std::string() : it->second;
        };
        std::vector<DetalhamentoEntrada> linhas = d.detalhamentoEntrada;
        std::stable_sort(linhas.begin(), linhas.end(), [&](const auto& a, const auto& b) {
            return ChaveOrdemAlfabetica(nome(a.CODDRUMUNICIPIO)) < ChaveOrdemAlfabetica(nome(b.CODDRUMUNICIPIO));
        });
        l.push_back(esquerda("Detalhamento de Outras Entradas - KOV", 35));
        l.push_back("");
        l.push_back(direita("Cód. Município", 17) + direita("Município", 50) + esquerda("Valores", 25));
        for (const auto& m : linhas)
            l.push_back(esquerda(std::to_string(m.CODDRUMUNICIPIO), 14) + "   " + direita(nome(m.CODDRUMUNICIPIO), 50) +
                        esquerda(valor(m.VALOR), 25));
        l.push_back("");
        l.push_back("");
    }
    l.push_back(
        "Os dados informados não serão considerados caso as declarações sejam recusadas pelo processamento de dados "
        "da DRU. Nesta hipótese, será expedida uma comunicação ao contribuinte supra identificado.");
    l.push_back("");
    l.push_back("Este recibo deverá ser mantido em seu poder pelo prazo previsto no parágrafo primeiro do art. 96 do "
                "RICMS/96");
    l.push_back("");
    l.push_back("");
    return l;
}

std::string GerarReciboTexto(const Declaracao& d, const std::map<int, std::string>& nomesMunicipios) {
    std::string texto;
    for (const auto& linha : LinhasReciboTexto(d, nomesMunicipios)) texto += linha + "\r\n";
    return ParaWindows1252(texto);
}

}  // namespace kov
