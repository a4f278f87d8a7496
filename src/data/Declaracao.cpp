#include "data/Declaracao.h"

#include "data/LinhasBanco.h"

#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace kov {

DetalhamentoES* Declaracao::detalhamento(int tipo) {
    for (auto& d : detalhamentoES)
        if (d.TIPOOPERACAO_ID == tipo) return &d;
    return nullptr;
}

const DetalhamentoES* Declaracao::detalhamento(int tipo) const {
    return const_cast<Declaracao*>(this)->detalhamento(tipo);
}

namespace {

template <class L>
std::optional<L> umaLinha(fb::Transacao& tr, int id) {
    auto v = LerLinhas<L>(tr, "DOCUMENTO_ID = :DOCUMENTO_ID", id);
    if (v.empty()) return std::nullopt;
    return v.front();
}

template <class L>
void regravar(fb::Transacao& tr, int id, const std::vector<L>& linhas) {
    fb::Comando apaga(tr, std::string("DELETE FROM ") + L::tabela + " WHERE DOCUMENTO_ID = :DOCUMENTO_ID");
    apaga.param("DOCUMENTO_ID", id).executar();
    InserirLinhas(tr, linhas);
}

template <class L>
void regravar(fb::Transacao& tr, int id, const std::optional<L>& linha) {
    std::vector<L> v;
    if (linha) v.push_back(*linha);
    regravar(tr, id, v);
}

// Toda seção leva a chave da declaração a que pertence.
template <class L>
void ligar(std::optional<L>& l, int id) {
    if (l) l->DOCUMENTO_ID = id;
}
template <class L>
void ligar(std::vector<L>& v, int id) {
    for (auto& l : v) l.DOCUMENTO_ID = id;
}

}  // namespace

Declaracao CarregarDeclaracao(fb::Conexao& c, int id) {
    auto tr = fb::Transacao::leitura(c);
    Declaracao d;
    auto docs = LerLinhas<Documento>(tr, "DOCUMENTO_ID = :DOCUMENTO_ID", id);
    if (docs.empty()) throw ErroSistema("Declaração " + std::to_string(id) + " não encontrada.");
    d.doc = docs.front();
    d.salvo = d.doc;
    {
        fb::Comando q(tr,
                      "SELECT C.INSCESTADUAL, C.RAZAOSOCIAL, C.CNPJ, S.DESCRICAO, R.DESCRICAO, T.TITULO, F.DESCRICAO, "
                      "M.DESCRICAO, M.MUNICIPIO_ID, TR.DESCRICAO FROM DOCUMENTO D "
                      "LEFT JOIN CONTRIBUINTE C ON C.CONTRIBUINTE_ID = D.CONTRIBUINTE_ID "
                      "LEFT JOIN STATUSDOC S ON S.STATUSDOC_ID = D.STATUS_ID "
                      "LEFT JOIN REGIME R ON R.REGIME_ID = D.REGIME_ID "
                      "LEFT JOIN TIPOCONTRIBUINTE T ON T.TIPOCONTRIBUINTE_ID = D.TIPOCONTRIBUINTE_ID "
                      "LEFT JOIN CNAEF F ON F.CNAEF_ID = D.CNAEF_ID AND F.DESMEMBRAMENTO = D.DESMEMBRAMENTO "
                      "LEFT JOIN MUNICIPIO M ON M.CODDRUMUNICIPIO = D.CODDRUMUNICIPIO "
                      "LEFT JOIN TIPORECOLHIMENTO TR ON TR.TIPORECOLHIMENTO_ID = D.TIPORECOLHIMENTO_ID "
                      "WHERE D.DOCUMENTO_ID = :DOCUMENTO_ID");
        q.param("DOCUMENTO_ID", id);
        if (q.proximo()) {
            d.IE_CONTRIBUINTE = q.coluna(0).texto();
            d.NOME_CONTRIBUINTE = q.coluna(1).texto();
            d.CNPJ_CONTRIBUINTE = q.coluna(2).texto();
            d.DESCRICAO_STATUS = q.coluna(3).texto();
            d.DESCRICAO_TIPOREGIME = q.coluna(4).texto();
            d.TITULO_TIPOCONTRIBUINTE = q.coluna(5).texto();
            d.DESCRICAO_CNAEF = q.coluna(6).texto();
            d.DESCRICAO_MUNICIPIO = q.coluna(7).texto();
            if (!q.coluna(8).nulo()) d.MUNICIPIO_MUNICIPIO_ID = static_cast<int>(q.coluna(8).inteiro());
            d.DESCRICAO_RECOLHIMENTO = q.coluna(9).texto();
        }
    }
    {
        fb::Comando q(tr, "SELECT FIRST 1 TIPOTRANSMISSAO FROM TRANSMISSAO WHERE DOCUMENTO_ID = :DOCUMENTO_ID");
        q.param("DOCUMENTO_ID", id);
        if (q.proximo()) d.TRANSMISSAO = q.coluna(0).texto();
    }
    d.estoque = umaLinha<Estoque>(tr, id);
    d.despesas = umaLinha<DespesasOperacionais>(tr, id);
    d.resultado = umaLinha<ResultadoOperacional>(tr, id);
    d.entrada = umaLinha<Entrada>(tr, id);
    d.saida = umaLinha<Saida>(tr, id);
    d.kov = umaLinha<Kov>(tr, id);
    d.exclusoes = umaLinha<ExclusoesKov>(tr, id);
    d.detalhamentoES = LerLinhas<DetalhamentoES>(tr, "DOCUMENTO_ID = :DOCUMENTO_ID ORDER BY TIPOOPERACAO_ID", id);
    d.giEntrada = LerLinhas<GIEntrada>(tr, "DOCUMENTO_ID = :DOCUMENTO_ID ORDER BY UF_ID", id);
    d.giSaidas = LerLinhas<GISaidas>(tr, "DOCUMENTO_ID = :DOCUMENTO_ID ORDER BY UF_ID", id);
    {
        // Outras entradas em ordem de nome do município, com as descrições
        fb::Comando q(tr,
                      "SELECT " + ListaColunas<DetalhamentoEntrada>() +
                          " FROM DETALHAMENTOENTRADA WHERE DOCUMENTO_ID = :DOCUMENTO_ID ORDER BY (SELECT M.DESCRICAO "
                          "FROM MUNICIPIO M WHERE M.CODDRUMUNICIPIO = DETALHAMENTOENTRADA.CODDRUMUNICIPIO)");
        q.param("DOCUMENTO_ID", id);
        while (q.proximo()) d.detalhamentoEntrada.push_back(LerLinha<DetalhamentoEntrada>(q));
    }
    tr.commit();
    return d;
}

void GravarDeclaracao(fb::Conexao& c, Declaracao& d) {
    const int id = d.doc.DOCUMENTO_ID;
    if (id <= 0) throw ErroSistema("Declaração sem chave não pode ser gravada.");
    ligar(d.estoque, id);
    ligar(d.despesas, id);
    ligar(d.resultado, id);
    ligar(d.entrada, id);
    ligar(d.saida, id);
    ligar(d.kov, id);
    ligar(d.exclusoes, id);
    ligar(d.detalhamentoES, id);
    ligar(d.giEntrada, id);
    ligar(d.giSaidas, id);
    ligar(d.detalhamentoEntrada, id);
    fb::Transacao tr(c);
    {
        // Linha de DOCUMENTO: atualiza, ou insere quando ainda não existe
        AtualizarLinha(tr, d.doc, "DOCUMENTO_ID");
        fb::Comando existe(tr, "SELECT 1 FROM DOCUMENTO WHERE DOCUMENTO_ID = :DOCUMENTO_ID");
        existe.param("DOCUMENTO_ID", id);
        if (!existe.proximo()) InserirLinhas(tr, std::vector<Documento>{d.doc});
    }
    regravar(tr, id, d.estoque);
    regravar(tr, id, d.despesas);
    regravar(tr, id, d.resultado);
    regravar(tr, id, d.entrada);
    regravar(tr, id, d.saida);
    regravar(tr, id, d.kov);
    regravar(tr, id, d.exclusoes);
    regravar(tr, id, d.detalhamentoES);
    regravar(tr, id, d.giEntrada);
    regravar(tr, id, d.giSaidas);
    regravar(tr, id, d.detalhamentoEntrada);
    tr.commit();
    d.salvo = d.doc;
}

void ExcluirDeclaracao(fb::Conexao& c, int id) {
    fb::Transacao tr(c);
    fb::Comando apaga(tr, "DELETE FROM DOCUMENTO WHERE DOCUMENTO_ID = :DOCUMENTO_ID");
    apaga.param("DOCUMENTO_ID", id).executar();
    tr.commit();
}

}  // namespace kov
