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

int municipiosVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    std::string filtro;
    if (!filtroDe(v, a, c, filtro)) return usoIncorreto(v, c);
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    bool algum = false;
    for (const auto& m : dm.ref.cdsMunicipio) {
        const std::string codigo = std::to_string(m.CODDRUMUNICIPIO);
        if (!contem(codigo, filtro) && !contem(m.DESCRICAO, filtro)) continue;
        if (!algum) cabecalhoLista(c, {"Código", "Município"});
        algum = true;
        c.out << codigo << '\t' << campoLista(m.DESCRICAO) << "\n";
    }
    if (!algum) listaVazia(c, filtro.empty() ? "Nenhum município cadastrado." : "Nenhum município encontrado.");
    return 0;
}

int cnaeVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    std::string filtro;
    if (!filtroDe(v, a, c, filtro)) return usoIncorreto(v, c);
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    bool algum = false;
    // Só os códigos completos (subclasses e desmembramentos) servem no cadastro
    for (const auto& l : dm.CNAEFDoAnoBase()) {
        const std::string codigo = CodigoCnaefSemBrancos(l.CNAEF_ID);
        if (codigo.size() != 7) continue;
        const std::string formatado = FormatarCodigoCnaef(codigo);
        if (!contem(codigo, filtro) && !contem(formatado, filtro) && !contem(l.DESCRICAO, filtro)) continue;
        if (!algum) cabecalhoLista(c, {"CNAE-F", "Desmembramento", "Descrição"});
        algum = true;
        c.out << formatado << '\t' << campoLista(l.DESMEMBRAMENTO) << '\t' << campoLista(Aparar(l.DESCRICAO)) << "\n";
    }
    if (!algum) listaVazia(c, "Nenhum código CNAE-F encontrado no ano base " + dm.LerParametro("ANOEXERCICIO") + ".");
    return 0;
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
