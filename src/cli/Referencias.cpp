// Verbos das tabelas de referência: os códigos que uma planilha de contribuintes usa.
#include "cli/Comum.h"
#include "data/ArvoreCnaef.h"
#include "data/Cadastros.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"

namespace kov::cli {

namespace {

// TEXTO opcional: filtra as linhas cujo código ou descrição contém o texto, sem distinguir
// maiúsculas nem acentos.
bool filtroDe(const Verbo& v, const std::vector<std::string>& a, Contexto& c, std::string& filtro) {
    if (a.size() > 1) return false;
    filtro = a.empty() ? std::string() : ChaveOrdemAlfabetica(a[0]);
    return true;
}

bool contem(const std::string& texto, const std::string& filtro) {
    return filtro.empty() || ChaveOrdemAlfabetica(texto).find(filtro) != std::string::npos;
}

// Abre a base, escreve as linhas que 'linhas' produz e avisa em stderr quando não houve nenhuma.
// 'linhas' recebe o filtro e devolve cada linha já formatada.
template <typename Produzir>
int listarReferencia(const Verbo& v, const std::vector<std::string>& a, Contexto& c,
                     const std::vector<std::string>& cabecalho, Produzir linhas) {
    std::string filtro;
    if (!filtroDe(v, a, c, filtro)) return usoIncorreto(v, c);
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    std::string vazio;
    const std::vector<std::string> saida = linhas(dm, filtro, vazio);
    if (saida.empty()) listaVazia(c, vazio);
    else cabecalhoLista(c, cabecalho);
    for (const auto& l : saida) c.out << l << "\n";
    return 0;
}

int municipiosVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    return listarReferencia(v, a, c, {"Código", "Município"}, [](Tdm& dm, const std::string& filtro, std::string& vazio) {
        std::vector<std::string> r;
        for (const auto& m : dm.ref.cdsMunicipio) {
            const std::string codigo = std::to_string(m.CODDRUMUNICIPIO);
            if (contem(codigo, filtro) || contem(m.DESCRICAO, filtro)) r.push_back(codigo + '\t' + campoLista(m.DESCRICAO));
        }
        vazio = filtro.empty() ? "Nenhum município cadastrado." : "Nenhum município encontrado.";
        return r;
    });
}

int cnaeVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    return listarReferencia(
        v, a, c, {"CNAE-F", "Desmembramento", "Descrição"}, [](Tdm& dm, const std::string& filtro, std::string& vazio) {
            std::vector<std::string> r;
            // Só os códigos completos (subclasses e desmembramentos) servem no cadastro
            for (const auto& l : dm.CNAEFDoAnoBase()) {
                const std::string codigo = CodigoCnaefSemBrancos(l.CNAEF_ID);
                if (codigo.size() != 7) continue;
                const std::string formatado = FormatarCodigoCnaef(codigo);
                if (contem(codigo, filtro) || contem(formatado, filtro) || contem(l.DESCRICAO, filtro))
                    r.push_back(formatado + '\t' + campoLista(l.DESMEMBRAMENTO) + '\t' +
                                campoLista(Aparar(l.DESCRICAO)));
            }
            vazio = "Nenhum código CNAE-F encontrado no ano base " + campoLista(dm.LerParametro("ANOEXERCICIO")) + ".";
            return r;
        });
}

}  // namespace

void verbosReferencias(std::vector<Verbo>& v) {
    v.push_back({"municipios", "listar", "[TEXTO]",
                 "Lista os municípios (código e nome), em ordem de nome.\n"
                 "Com TEXTO, só os que o têm no código ou no nome, sem distinguir maiúsculas nem acentos.\n"
                 "O código ou o nome vão na coluna CODDRUMUNICIPIO da planilha de contribuintes.",
                 municipiosVerbo});
    v.push_back({"cnae", "listar", "[TEXTO]",
                 "Lista os códigos CNAE-F válidos no ano base (código, desmembramento e descrição).\n"
                 "Só os códigos completos, que o cadastro de contribuintes aceita. Com TEXTO, só os que\n"
                 "o têm no código ou na descrição, sem distinguir maiúsculas nem acentos. O código e o\n"
                 "desmembramento vão nas colunas CNAEF_ID e DESMEMBRAMENTO da planilha de contribuintes.",
                 cnaeVerbo});
}

}  // namespace kov::cli
