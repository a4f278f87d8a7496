#include "data/Declaracao.h"

#include <algorithm>

#include "data/Figuras.h"
#include "data/LinhasBanco.h"

#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace kov {

const char* const MSG_DECLARACAO_GRAVADA_POR_OUTRO =
    "Outro usuário (ou outro computador) gravou esta declaração depois que ela foi aberta aqui. Nada foi "
    "gravado desta vez: abra a declaração de novo e repita a alteração.";
const char* const MSG_DECLARACAO_EXCLUIDA_POR_OUTRO =
    "Outro usuário (ou outro computador) excluiu esta declaração depois que ela foi aberta aqui. Nada foi "
    "gravado.";

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

// Colunas que identificam a linha na sua tabela: a chave e, nas linhas da GI, a UF.
template <class L>
const std::vector<const Coluna<L>*>& colunasIdentificam() {
    static const std::vector<const Coluna<L>*> v = [] {
        std::vector<const Coluna<L>*> r;
        for (const auto& c : L::colunas())
            if (c.chave() || std::string(c.nome) == "UF_ID") r.push_back(&c);
        return r;
    }();
    return v;
}

template <class L>
std::string condicaoChave() {
    std::string w;
    for (const Coluna<L>* c : colunasIdentificam<L>())
        w += (w.empty() ? "" : " AND ") + std::string(c->nome) + " = :" + c->nome;
    return w;
}

// Ordem das linhas pela chave, comparando os membros tipados (sem passar por texto): a
// gravação de uma declaração grande compara centenas de linhas a cada vez.
template <class L>
int compararChave(const L& a, const L& b) {
    for (const Coluna<L>* c : colunasIdentificam<L>()) {
        const int r = std::visit(
            [&](auto m) {
                const auto& x = a.*m;
                const auto& y = b.*m;
                return x < y ? -1 : (y < x ? 1 : 0);
            },
            c->membro);
        if (r != 0) return r;
    }
    return 0;
}

template <class L>
std::vector<const L*> ordenadasPelaChave(const std::vector<L>& linhas) {
    std::vector<const L*> v;
    v.reserve(linhas.size());
    for (const auto& l : linhas) v.push_back(&l);
    std::sort(v.begin(), v.end(), [](const L* a, const L* b) { return compararChave(*a, *b) < 0; });
    return v;
}

// Escreve só a diferença entre o que está na base ('antes') e o que está em memória: as
// duas listas, em ordem de chave, são percorridas juntas; linha só na base é apagada, só
// em memória é inserida, nas duas e com algum valor diferente é atualizada.
template <class L>
void gravarDiferenca(fb::Transacao& tr, const std::vector<L>& antes, const std::vector<L>& agora) {
    const auto velhas = ordenadasPelaChave(antes);
    const auto atuais = ordenadasPelaChave(agora);
    // Duas linhas com a mesma chave em memória: recusadas como a chave primária da tabela faria
    for (size_t i = 1; i < atuais.size(); ++i)
        if (compararChave(*atuais[i - 1], *atuais[i]) == 0)
            throw fb::ErroBanco(std::string("violation of PRIMARY or UNIQUE KEY constraint \"PK_") + L::tabela +
                                    "\" on table \"" + L::tabela + "\"",
                                -803);
    std::vector<const L*> apagar, atualizar;
    std::vector<L> novas;
    size_t i = 0, j = 0;
    while (i < velhas.size() || j < atuais.size()) {
        const int r = i == velhas.size() ? 1 : j == atuais.size() ? -1 : compararChave(*velhas[i], *atuais[j]);
        if (r < 0) {
            apagar.push_back(velhas[i++]);
        } else if (r > 0) {
            novas.push_back(*atuais[j++]);
        } else {
            if (!(*velhas[i] == *atuais[j])) atualizar.push_back(atuais[j]);
            ++i;
            ++j;
        }
    }
    if (!apagar.empty()) {
        fb::Comando apaga(tr, std::string("DELETE FROM ") + L::tabela + " WHERE " + condicaoChave<L>());
        for (const L* a : apagar) {
            for (const Coluna<L>* c : colunasIdentificam<L>()) apaga.param(c->nome, ValorColuna(*a, *c));
            apaga.executar();
        }
    }
    if (!atualizar.empty()) {
        std::string sets;
        for (const auto& c : L::colunas())
            if (!c.chave() && std::string(c.nome) != "UF_ID")
                sets += (sets.empty() ? "" : ", ") + std::string(c.nome) + " = :" + c.nome;
        fb::Comando atualiza(tr, std::string("UPDATE ") + L::tabela + " SET " + sets + " WHERE " + condicaoChave<L>());
        for (const L* n : atualizar) {
            for (const auto& c : L::colunas()) atualiza.param(c.nome, ValorColuna(*n, c));
            atualiza.executar();
        }
    }
    InserirLinhas(tr, novas);
}

template <class L>
std::vector<L> comoLista(const std::optional<L>& l) {
    std::vector<L> v;
    if (l) v.push_back(*l);
    return v;
}

// Seção de uma linha: apaga, insere ou atualiza conforme o que mudou.
template <class L>
void regravar(fb::Transacao& tr, const std::optional<L>& antes, const std::optional<L>& agora) {
    gravarDiferenca(tr, comoLista(antes), comoLista(agora));
}
template <class L>
void regravar(fb::Transacao& tr, const std::vector<L>& antes, const std::vector<L>& agora) {
    gravarDiferenca(tr, antes, agora);
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

// Trava a linha de DOCUMENTO até o fim da transação, só se ela ainda estiver na versão lida
// aqui. Quem grava a mesma declaração ao mesmo tempo segura a linha: esperamos por ele, e
// quando ele confirma o servidor acusa o conflito; a nova tentativa já encontra a versão dele.
void travarParaGravar(fb::Transacao& tr, Declaracao& d) {
    const int id = d.doc.DOCUMENTO_ID;
    for (;;) {
        try {
            fb::Comando q(tr, d.versaoBase != 0 ? "SELECT 1 FROM DOCUMENTO WHERE DOCUMENTO_ID = :DOCUMENTO_ID AND "
                                                  "RDB$RECORD_VERSION IN (:VERSAO, :PROPRIA) WITH LOCK"
                                                : "SELECT 1 FROM DOCUMENTO WHERE DOCUMENTO_ID = :DOCUMENTO_ID WITH LOCK");
            q.param("DOCUMENTO_ID", id);
            if (d.versaoBase != 0) q.param("VERSAO", d.versaoBase).param("PROPRIA", tr.numero());
            if (q.proximo() || d.versaoBase == 0) return;
            break;
        } catch (const fb::ErroBanco& e) {
            if (!e.conflitoDeAtualizacao()) throw;
        }
    }
    fb::Comando existe(tr, "SELECT 1 FROM DOCUMENTO WHERE DOCUMENTO_ID = :DOCUMENTO_ID");
    existe.param("DOCUMENTO_ID", id);
    throw ErroSistema(existe.proximo() ? MSG_DECLARACAO_GRAVADA_POR_OUTRO : MSG_DECLARACAO_EXCLUIDA_POR_OUTRO);
}

}  // namespace

void MarcarComoGravada(Declaracao& d) {
    if (d.versaoGravando != 0) d.versaoBase = d.versaoGravando;
    d.versaoGravando = 0;
    d.salvo = d.doc;
    auto copia = std::make_shared<Declaracao>(d);
    copia->gravada.reset();
    d.gravada = std::move(copia);
}

Declaracao CarregarDeclaracao(fb::Conexao& c, int id) {
    auto tr = fb::Transacao::leitura(c);
    Declaracao d = CarregarDeclaracao(tr, id);
    tr.commit();
    return d;
}

Declaracao CarregarDeclaracao(fb::Transacao& tr, int id) {
    Declaracao d;
    auto docs = LerLinhas<Documento>(tr, "DOCUMENTO_ID = :DOCUMENTO_ID", id);
    if (docs.empty()) throw ErroSistema("Declaração " + std::to_string(id) + " não encontrada.");
    d.doc = docs.front();
    {
        fb::Comando q(tr,
                      "SELECT C.INSCESTADUAL, C.RAZAOSOCIAL, C.CNPJ, S.DESCRICAO, R.DESCRICAO, T.TITULO, F.DESCRICAO, "
                      "M.DESCRICAO, M.MUNICIPIO_ID, TR.DESCRICAO, D.RDB$RECORD_VERSION FROM DOCUMENTO D "
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
            d.versaoBase = q.coluna(10).inteiro();
        }
    }
    {
        // Entregas da declaração em ordem de data e hora: a primeira dá TRANSMISSAO, todas a SITUACAO
        fb::Comando q(tr,
                      "SELECT TRANSMISSAO_ID, TIPOTRANSMISSAO FROM TRANSMISSAO WHERE DOCUMENTO_ID = :DOCUMENTO_ID "
                      "ORDER BY DATA, HORA");
        q.param("DOCUMENTO_ID", id);
        std::vector<LinhaTransmissao> entregas;
        while (q.proximo()) {
            LinhaTransmissao t;
            t.TRANSMISSAO_ID = static_cast<int>(q.coluna(0).inteiro());
            t.DOCUMENTO_ID = id;
            t.TIPOTRANSMISSAO = q.coluna(1).texto();
            entregas.push_back(t);
        }
        if (!entregas.empty()) d.TRANSMISSAO = entregas.front().TIPOTRANSMISSAO;
        d.SITUACAO = Situacao(entregas);
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
                          "FROM MUNICIPIO M WHERE M.CODDRUMUNICIPIO = DETALHAMENTOENTRADA.CODDRUMUNICIPIO) COLLATE WIN_PTBR");
        q.param("DOCUMENTO_ID", id);
        while (q.proximo()) d.detalhamentoEntrada.push_back(LerLinha<DetalhamentoEntrada>(q));
    }
    MarcarComoGravada(d);
    return d;
}

void GravarDeclaracao(fb::Conexao& c, Declaracao& d) {
    fb::Transacao tr(c);
    EscreverDeclaracao(tr, d);
    tr.commit();
    MarcarComoGravada(d);
}

void EscreverDeclaracao(fb::Transacao& tr, Declaracao& d) {
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
    // Linha de DOCUMENTO: atualiza, ou insere quando ainda não existe. Igual à lida (ou à
    // gravada por último) fica como está: cada página tocada é uma escrita síncrona a mais
    // no commit.
    // Uma declaração nova é sempre inserida: com a chave já em uso (gerador atrasado numa
    // base antiga), a gravação falha pela chave em vez de sobrescrever a declaração de outro.
    if (d.salvo) travarParaGravar(tr, d);
    d.versaoGravando = tr.numero();
    if (!d.salvo) {
        InserirLinhas(tr, std::vector<Documento>{d.doc});
    } else if (!d.gravada || !(*d.salvo == d.doc)) {
        AtualizarLinha(tr, d.doc, "DOCUMENTO_ID");
        fb::Comando existe(tr, "SELECT 1 FROM DOCUMENTO WHERE DOCUMENTO_ID = :DOCUMENTO_ID");
        existe.param("DOCUMENTO_ID", id);
        if (!existe.proximo()) InserirLinhas(tr, std::vector<Documento>{d.doc});
    }
    // O que está na base: o agregado lido (ou gravado por último); numa declaração nova, nada
    const Declaracao vazia;
    const Declaracao& antes = d.gravada ? *d.gravada : vazia;
    regravar(tr, antes.estoque, d.estoque);
    regravar(tr, antes.despesas, d.despesas);
    regravar(tr, antes.resultado, d.resultado);
    regravar(tr, antes.entrada, d.entrada);
    regravar(tr, antes.saida, d.saida);
    regravar(tr, antes.kov, d.kov);
    regravar(tr, antes.exclusoes, d.exclusoes);
    regravar(tr, antes.detalhamentoES, d.detalhamentoES);
    regravar(tr, antes.giEntrada, d.giEntrada);
    regravar(tr, antes.giSaidas, d.giSaidas);
    regravar(tr, antes.detalhamentoEntrada, d.detalhamentoEntrada);
}

void ExcluirDeclaracao(fb::Conexao& c, int id) {
    fb::Transacao tr(c);
    fb::Comando apaga(tr, "DELETE FROM DOCUMENTO WHERE DOCUMENTO_ID = :DOCUMENTO_ID");
    apaga.param("DOCUMENTO_ID", id).executar();
    tr.commit();
}

// --- Valores pelo nome ----------------------------------------------------------------------

namespace {

template <class L>
bool definirColunaDeValor(L& linha, const std::string& coluna, const Quantia& valor) {
    const Coluna<L>* c = ProcurarColuna<L>(coluna);
    if (!c || c->especie != EspecieColuna::Valor) return false;
    DefinirColuna(linha, *c, valor ? fb::Valor(*valor) : fb::Valor());
    return true;
}

template <class L>
void listarValores(const L& linha, const std::string& prefixo, std::vector<std::pair<std::string, std::string>>& v) {
    for (const auto& c : L::colunas()) {
        if (c.especie != EspecieColuna::Valor) continue;
        const fb::Valor x = ValorColuna(linha, c);
        if (!x.nulo()) v.emplace_back(prefixo + c.nome, x.dinheiro().textoDecimal());
    }
}

// Aplica 'f' à seção de uma linha de nome 'tabela' (criando-a com 'criar'); falso se não há.
template <class F>
bool comSecao(Declaracao& d, const std::string& tabela, F f) {
    auto tenta = [&](auto& secao) {
        using L = typename std::decay_t<decltype(secao)>::value_type;
        if (tabela != L::tabela) return false;
        if (!secao) {
            secao = L{};
            ZerarCampos(*secao);
            secao->DOCUMENTO_ID = d.doc.DOCUMENTO_ID;
        }
        return f(*secao);
    };
    return tenta(d.estoque) || tenta(d.despesas) || tenta(d.resultado) || tenta(d.entrada) || tenta(d.saida) ||
           tenta(d.kov) || tenta(d.exclusoes);
}

}  // namespace

bool DefinirValorPorNome(Declaracao& d, const std::string& nome, const Quantia& valor) {
    const size_t p = nome.find('.');
    if (p == std::string::npos) return false;
    const std::string tabela = nome.substr(0, p), resto = nome.substr(p + 1);
    if (tabela == DetalhamentoES::tabela) {
        const size_t q = resto.find('.');
        if (q != 1 || resto[0] < '1' || resto[0] > '6') return false;
        const int tipo = resto[0] - '0';
        const std::string coluna = resto.substr(q + 1);
        const Coluna<DetalhamentoES>* c = ProcurarColuna<DetalhamentoES>(coluna);
        if (!c || c->especie != EspecieColuna::Valor) return false;
        if (!d.detalhamento(tipo)) {
            DetalhamentoES l{};
            ZerarCampos(l);
            l.TIPOOPERACAO_ID = tipo;
            l.DOCUMENTO_ID = d.doc.DOCUMENTO_ID;
            d.detalhamentoES.push_back(l);
        }
        return definirColunaDeValor(*d.detalhamento(tipo), coluna, valor);
    }
    bool achou = false;
    comSecao(d, tabela, [&](auto& secao) { return achou = definirColunaDeValor(secao, resto, valor); });
    return achou;
}

std::vector<std::pair<std::string, std::string>> ValoresPorNome(const Declaracao& d) {
    std::vector<std::pair<std::string, std::string>> v;
    auto secao = [&](const auto& s) {
        using L = typename std::decay_t<decltype(s)>::value_type;
        if (s) listarValores(*s, std::string(L::tabela) + ".", v);
    };
    secao(d.estoque);
    secao(d.despesas);
    secao(d.resultado);
    secao(d.entrada);
    secao(d.saida);
    secao(d.kov);
    secao(d.exclusoes);
    std::vector<const DetalhamentoES*> detalhes;
    for (const auto& l : d.detalhamentoES) detalhes.push_back(&l);
    std::sort(detalhes.begin(), detalhes.end(),
              [](auto* a, auto* b) { return a->TIPOOPERACAO_ID < b->TIPOOPERACAO_ID; });
    for (const auto* l : detalhes)
        listarValores(*l, std::string(DetalhamentoES::tabela) + "." + std::to_string(l->TIPOOPERACAO_ID) + ".", v);
    return v;
}

}  // namespace kov
