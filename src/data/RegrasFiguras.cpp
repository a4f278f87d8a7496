#include "data/RegrasFiguras.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

#include "data/Figuras.h"

namespace kov {

const char* const MSG_GI_INDISPONIVEL = "Não é possível informar GI";
const char* const MSG_PRODUTOS_AGROP =
    "O valor de Produtos Agropecuários não pode ser superior ao SubTotal do Valor Contábil";

namespace {

constexpr std::array<std::pair<SecaoFigura, const char*>, 7> NOMES = {{
    {SecaoFigura::Estoque, "estoque"},
    {SecaoFigura::Despesas, "despesas"},
    {SecaoFigura::Resultado, "resultado"},
    {SecaoFigura::Entrada, "entrada"},
    {SecaoFigura::Saida, "saida"},
    {SecaoFigura::Kov, "kov"},
    {SecaoFigura::Exclusoes, "exclusoes"},
}};

int regime(const Documento& doc) { return doc.REGIME_ID.value_or(0); }
int recolhimento(const Documento& doc) { return doc.TIPORECOLHIMENTO_ID.value_or(0); }
int tipo(const Documento& doc) { return doc.TIPOCONTRIBUINTE_ID.value_or(-1); }
bool simplificado(const Documento& doc) { return regime(doc) == 3 || regime(doc) == 5 || regime(doc) == 6; }

// Quando cada figura trava: a seção, as colunas e a condição sobre o cabeçalho.
struct Trava {
    SecaoFigura secao;
    std::set<std::string> campos;
    bool (*quando)(const Documento&);
};

const std::vector<Trava>& travas() {
    static const std::vector<Trava> t = {
        {SecaoFigura::Entrada, {"VCTOTALSIMPLES", "VCOUTROS", "VCEXTERIOR"}, PreloDebitoCredito},
        {SecaoFigura::Saida, {"VCESTADO", "VCOUTROS", "VCEXTERIOR"},
         [](const Documento& d) { return !(simplificado(d) && recolhimento(d) == 1); }},
        {SecaoFigura::Saida, {"TRANSPORTETOMADO", "COOPERATIVA", "AJUSTETRANSFERENCIA"},
         [](const Documento& d) { return tipo(d) == 0; }},
        {SecaoFigura::Entrada, {"AJUSTETRANSFERENCIA"}, [](const Documento& d) { return tipo(d) == 0; }},
        {SecaoFigura::Exclusoes,
         {"ENTICMSST", "ENTIPI", "ENTATIVOIMOBILIZADO", "ENTMATERIALUSO", "ENTENERGIAELETRICACOMUNICACAO",
          "ENTTRANSPORTE", "ENTAJUSTETRANSFERENCIA", "ENTOUTRAS", "SAIICMSST", "SAIIPI", "SAIATIVOIMOBILIZADO",
          "SAIMATERIALUSO", "SAIAJUSTETRANSFERENCIA", "SAIOUTRAS"},
         [](const Documento& d) { return tipo(d) == 0; }},
        {SecaoFigura::Exclusoes, {"ENTSUBCONTRATACAOTRANSPORTE", "SAITRANPORTESINICIADOOUTRA"},
         [](const Documento& d) { return tipo(d) == 3; }},
        {SecaoFigura::Kov, {"SAIDAS", "ENTRADAS"}, [](const Documento&) { return true; }},
        {SecaoFigura::Kov, {"OUTRASENTRADAS"}, [](const Documento& d) { return tipo(d) == 0 || tipo(d) == 3; }},
    };
    return t;
}

template <class L>
void zerarTravadas(const Documento& doc, SecaoFigura s, std::optional<L>& linha) {
    if (!linha) return;
    for (const auto& col : L::colunas())
        if (col.especie == EspecieColuna::Valor && FiguraTravada(doc, s, col.nome))
            DefinirColuna(*linha, col, fb::Valor(Dinheiro{}));
}

bool existeTransferencia(const Declaracao& d, int tipoA, int tipoB) {
    Dinheiro t;
    for (const auto& l : d.detalhamentoES)
        if (l.TIPOOPERACAO_ID == tipoA || l.TIPOOPERACAO_ID == tipoB) t += v(l.VCTRANSFERENCIA);
    return t > Dinheiro{};
}

}  // namespace

const char* NomeSecao(SecaoFigura s) {
    for (const auto& [secao, nome] : NOMES)
        if (secao == s) return nome;
    return "";
}

std::optional<SecaoFigura> SecaoPeloNome(const std::string& nome) {
    for (const auto& [secao, n] : NOMES)
        if (nome == n) return secao;
    return std::nullopt;
}

bool PreloDebitoCredito(const Documento& doc) { return RegimeCompleto(doc); }

bool ComEscritaContabil(const Documento& doc) { return doc.ESCRITACONTABIL == "S"; }

bool FiguraTravada(const Documento& doc, SecaoFigura secao, const std::string& campo) {
    for (const auto& t : travas())
        if (t.secao == secao && t.campos.count(campo) && t.quando(doc)) return true;
    return false;
}

void ZerarFigurasTravadas(Declaracao& d) {
    const Documento& doc = d.doc;
    zerarTravadas(doc, SecaoFigura::Entrada, d.entrada);
    zerarTravadas(doc, SecaoFigura::Saida, d.saida);
    zerarTravadas(doc, SecaoFigura::Exclusoes, d.exclusoes);
    zerarTravadas(doc, SecaoFigura::Kov, d.kov);
    // VCESTADO, VCOUTROS e VCEXTERIOR das saídas (e os das entradas) são, no débito/crédito,
    // os subtotais do detalhamento: zerados aqui, voltam do detalhamento
    if (RegimeCompleto(doc)) TotalizarEntradasSaidas(d);
}

bool GIDisponivel(const Documento& doc) {
    if (regime(doc) == 3) return false;
    if ((regime(doc) == 5 || regime(doc) == 6) && recolhimento(doc) == 2) return false;
    return true;
}

void ApagarGI(Declaracao& d) {
    d.giEntrada.clear();
    d.giSaidas.clear();
}

bool ExisteTransferenciaEntradas(const Declaracao& d) { return existeTransferencia(d, 1, 2); }

bool ExisteTransferenciaSaidas(const Declaracao& d) { return existeTransferencia(d, 4, 5); }

// --- Detalhamento por tipo de operação --------------------------------------------------

bool TipoDeSaida(int tipoOperacao) { return tipoOperacao >= 4; }

std::string RotuloCompraVenda(int tipoOperacao) { return TipoDeSaida(tipoOperacao) ? " Vendas" : " Compras"; }

const char* TituloDetalhamento(int tipoOperacao) {
    static const char* const titulos[] = {"Entradas do Estado",   "Entradas de Outros Estados", "Entradas do Exterior",
                                          "Saidas para o Estado", "Saidas para Outros Estados", "Saidas para o Exterior"};
    return titulos[std::clamp(tipoOperacao, 1, 6) - 1];
}

std::optional<RecusaDetalhamento> ConferirDetalhamentoES(const DetalhamentoES& l) {
    // Nome de cada categoria nas mensagens: o da devolução sai diferente em cada uma
    struct Nomes {
        const char* icms;
        const char* vc;
    };
    static const std::array<Nomes, 7> nomes = {{{"Compra/Venda", "Compra/Venda"},
                                                {"Transferência", "Transferência"},
                                                {"Devolucão", "Devolução"},
                                                {"Energia Elétrica", "Energia Elétrica"},
                                                {"Comunicação", "Comunicação"},
                                                {"Transporte", "Transporte"},
                                                {"Outras", "Outras"}}};
    const auto& categorias = CategoriasES();
    for (size_t i = 0; i < categorias.size(); ++i) {
        const CategoriaES& c = categorias[i];
        // Valores em centavos exatos: já estão no centavo mais próximo
        if (v(l.*c.BC) <= Dinheiro{}) continue;
        if (v(l.*c.ICMS) == Dinheiro{})
            return RecusaDetalhamento{std::string("Base de Cálculo sem valor de ICMS informado ") + nomes[i].icms,
                                      std::string("ICMS") + c.nome};
        if (v(l.*c.VC) == Dinheiro{})
            return RecusaDetalhamento{std::string("Base de Cálculo sem Valor Contábil informado ") + nomes[i].vc,
                                      std::string("VC") + c.nome};
    }
    return std::nullopt;
}

bool ProdutosAgropAcimaDoSubtotal(const Entrada& e, const DetalhamentoES& estado) {
    return v(e.PRODUTOSAGROP) > calcVCSubTotal(estado);
}

}  // namespace kov
