// O agregado da declaração: gravar e ler de volta sem perder nem trocar nenhum valor.
#include <gtest/gtest.h>

#include <algorithm>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "data/Declaracao.h"
#include "data/LinhasBanco.h"
#include "data/untUtils.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

using namespace kov;

namespace {

// Preenche toda coluna não chave com um valor diferente das outras.
struct Preenchedor {
    int64_t n = 101;
    template <class L>
    void operator()(L& l) {
        for (const auto& c : L::colunas()) {
            if (c.chave()) continue;
            if (auto m = std::get_if<Quantia L::*>(&c.membro)) {
                l.*(*m) = Dinheiro::deCentavos(n * 100 + n % 100);
                ++n;
            }
        }
    }
};

struct AgregadoDeclaracao : ::testing::Test {
    teste::PastaTemporaria pasta;
    fb::Conexao c;
    std::vector<int> municipios;
    void SetUp() override {
        teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
        fb::ParametrosConexao p;
        p.banco = teste::enderecoBanco(pasta.caminho() / "KOV.GDB");
        c.abrir(p);
        fb::Transacao tr(c);
        fb::Comando m(tr, "SELECT CODDRUMUNICIPIO FROM MUNICIPIO ORDER BY CODDRUMUNICIPIO");
        while (m.proximo()) municipios.push_back(static_cast<int>(m.coluna(0).inteiro()));
        const Contribuinte ct = teste::ContribuinteDeTeste(7, municipios.front());
        InserirLinhas(tr, std::vector<Contribuinte>{ct});
        tr.commit();
    }
    Declaracao completa(int id) {
        Declaracao d;
        Preenchedor p;
        d.doc.DOCUMENTO_ID = id;
        d.doc.CONTRIBUINTE_ID = 7;
        d.doc.STATUS_ID = 1;
        d.doc.REGIME_ID = 2;
        d.doc.TIPOCONTRIBUINTE_ID = 3;
        d.doc.CNAEF_ID = "4711301";
        d.doc.DESMEMBRAMENTO = "01";
        d.doc.CODDRUMUNICIPIO = municipios[1];
        d.doc.TIPORECOLHIMENTO_ID = 0;
        d.doc.PERIODO = 2016;
        d.doc.MESINICIAL = 3;
        d.doc.MESFINAL = 11;
        d.doc.ESCRITACONTABIL = "S";
        d.doc.SUBSTITUICAO = "N";
        d.doc.MUDANCAMUNICIPIO = "S";
        d.doc.BAIXA = "N";
        d.doc.MUDANCAMUNICIPIOANOCORRENTE = "N";
        d.estoque.emplace(); p(*d.estoque);
        d.despesas.emplace(); p(*d.despesas);
        d.resultado.emplace(); p(*d.resultado);
        d.entrada.emplace(); p(*d.entrada);
        d.saida.emplace(); p(*d.saida);
        d.kov.emplace(); p(*d.kov);
        d.exclusoes.emplace(); p(*d.exclusoes);
        d.exclusoes->SAIAJUSTETRANSFERENCIA.reset();  // nulo continua nulo
        for (int t = 1; t <= 6; ++t) {
            DetalhamentoES e;
            e.TIPOOPERACAO_ID = t;
            p(e);
            d.detalhamentoES.push_back(e);
        }
        for (const char* uf : {"BA", "MG", "SP"}) {
            GIEntrada g; g.UF_ID = uf; p(g); d.giEntrada.push_back(g);
            GISaidas s; s.UF_ID = uf; p(s); d.giSaidas.push_back(s);
        }
        for (size_t i = 0; i < 5; ++i) {
            DetalhamentoEntrada m;
            m.CODDRUMUNICIPIO = municipios[i];
            m.MUDANCAMUNICIPIO = i % 2 ? "S" : "N";
            p(m);
            d.detalhamentoEntrada.push_back(m);
        }
        return d;
    }
};

template <class L>
void mesmasLinhas(const std::vector<L>& a, const std::vector<L>& b, const char* nome) {
    ASSERT_EQ(a.size(), b.size()) << nome;
    for (const auto& x : a) {
        bool achou = false;
        for (const auto& y : b) achou |= x == y;
        EXPECT_TRUE(achou) << nome;
    }
}

}  // namespace

TEST_F(AgregadoDeclaracao, GravaELeDeVoltaCadaColuna) {
    Declaracao d = completa(42);
    ASSERT_TRUE(d.nova());
    GravarDeclaracao(c, d);
    EXPECT_FALSE(d.nova());
    Declaracao lida = CarregarDeclaracao(c, 42);
    EXPECT_EQ(lida.doc, d.doc);
    EXPECT_EQ(*lida.salvo, d.doc);
    EXPECT_EQ(lida.estoque, d.estoque);
    EXPECT_EQ(lida.despesas, d.despesas);
    EXPECT_EQ(lida.resultado, d.resultado);
    EXPECT_EQ(lida.entrada, d.entrada);
    EXPECT_EQ(lida.saida, d.saida);
    EXPECT_EQ(lida.kov, d.kov);
    EXPECT_EQ(lida.exclusoes, d.exclusoes);
    EXPECT_FALSE(lida.exclusoes->SAIAJUSTETRANSFERENCIA.has_value());
    EXPECT_EQ(lida.detalhamentoES, d.detalhamentoES);
    EXPECT_EQ(lida.giEntrada, d.giEntrada);
    EXPECT_EQ(lida.giSaidas, d.giSaidas);
    mesmasLinhas(lida.detalhamentoEntrada, d.detalhamentoEntrada, "outras entradas");
    // Descrições vindas das tabelas
    EXPECT_EQ(lida.IE_CONTRIBUINTE, "1234567890107");
    EXPECT_EQ(lida.NOME_CONTRIBUINTE, "Comércio Ação Ltda");
    EXPECT_FALSE(lida.DESCRICAO_TIPOREGIME.empty());
    EXPECT_FALSE(lida.DESCRICAO_MUNICIPIO.empty());
    // Outras entradas em ordem de nome do município
    for (size_t i = 1; i < lida.detalhamentoEntrada.size(); ++i) {
        auto nome = [&](int cod) {
            fb::Transacao tr(c);
            fb::Comando q(tr, "SELECT DESCRICAO FROM MUNICIPIO WHERE CODDRUMUNICIPIO = :C");
            q.param("C", cod).proximo();
            return q.coluna(0).texto();
        };
        EXPECT_LE(ChaveOrdemAlfabetica(nome(lida.detalhamentoEntrada[i - 1].CODDRUMUNICIPIO)),
                  ChaveOrdemAlfabetica(nome(lida.detalhamentoEntrada[i].CODDRUMUNICIPIO)));
    }
}

TEST_F(AgregadoDeclaracao, GravarDeNovoTrocaAsSecoesEExcluirApagaTudo) {
    Declaracao d = completa(43);
    GravarDeclaracao(c, d);
    // Seções removidas em memória somem da base ao gravar; as alteradas ficam como estão
    d.despesas.reset();
    d.detalhamentoES.resize(2);
    d.giEntrada.clear();
    d.entrada->VCTOTAL = Dinheiro::deCentavos(-1);
    GravarDeclaracao(c, d);
    Declaracao lida = CarregarDeclaracao(c, 43);
    EXPECT_FALSE(lida.despesas.has_value());
    EXPECT_EQ(lida.detalhamentoES.size(), 2u);
    EXPECT_TRUE(lida.giEntrada.empty());
    EXPECT_EQ(v(lida.entrada->VCTOTAL), Dinheiro::deCentavos(-1));
    // Uma falha no meio da gravação não deixa nada pela metade
    d.giSaidas.push_back(d.giSaidas.front());  // UF repetida: chave primária
    d.kov->SAIDAS = Dinheiro::deReais(999);
    EXPECT_ANY_THROW(GravarDeclaracao(c, d));
    lida = CarregarDeclaracao(c, 43);
    EXPECT_EQ(lida.giSaidas.size(), 3u);
    EXPECT_NE(v(lida.kov->SAIDAS), Dinheiro::deReais(999));

    ExcluirDeclaracao(c, 43);
    EXPECT_THROW(CarregarDeclaracao(c, 43), ErroSistema);
    fb::Transacao tr(c);
    for (const char* t : {"ESTOQUE", "KOV", "DETALHAMENTOES", "GISAIDAS", "DETALHAMENTOENTRADA"}) {
        fb::Comando q(tr, std::string("SELECT COUNT(*) FROM ") + t + " WHERE DOCUMENTO_ID = 43");
        q.proximo();
        EXPECT_EQ(q.coluna(0).inteiro(), 0) << t;
    }
}

// A gravação escreve só a diferença, casando as linhas pela chave em qualquer ordem: linha
// nova, apagada, alterada (também de um valor para nulo) e as iguais, tudo numa gravação.
TEST_F(AgregadoDeclaracao, GravacaoCasaAsLinhasPelaChaveEmQualquerOrdem) {
    Declaracao d = completa(44);
    GravarDeclaracao(c, d);
    // GI de saídas: sai MG, SP muda (um valor vira nulo), entram RS e AC fora de ordem
    d.giSaidas.erase(d.giSaidas.begin() + 1);
    d.giSaidas.back().OUTRASSAIDAS.reset();
    d.giSaidas.back().SUBSTTRIBUTARIA = Dinheiro::deCentavos(1);
    for (const char* uf : {"RS", "AC"}) {
        GISaidas s;
        s.UF_ID = uf;
        ZerarCampos(s);
        s.VALORCONTABILCONT = Dinheiro::deReais(uf[0]);
        d.giSaidas.insert(d.giSaidas.begin(), s);
    }
    // Outras entradas em ordem invertida, uma apagada, uma alterada, uma nova
    std::reverse(d.detalhamentoEntrada.begin(), d.detalhamentoEntrada.end());
    d.detalhamentoEntrada.erase(d.detalhamentoEntrada.begin() + 2);
    d.detalhamentoEntrada.front().VALOR = Dinheiro::deCentavos(-7);
    DetalhamentoEntrada nova;
    nova.CODDRUMUNICIPIO = municipios[7];
    nova.MUDANCAMUNICIPIO = "N";
    nova.VALOR = Dinheiro::deReais(70);
    d.detalhamentoEntrada.insert(d.detalhamentoEntrada.begin() + 1, nova);
    // Detalhamento: sai o tipo 3, o tipo 5 muda
    d.detalhamentoES.erase(d.detalhamentoES.begin() + 2);
    d.detalhamento(5)->VCOUTRAS = Dinheiro::deReais(5);
    GravarDeclaracao(c, d);
    Declaracao lida = CarregarDeclaracao(c, 44);
    mesmasLinhas(lida.giSaidas, d.giSaidas, "GI de saídas");
    mesmasLinhas(lida.detalhamentoEntrada, d.detalhamentoEntrada, "outras entradas");
    mesmasLinhas(lida.detalhamentoES, d.detalhamentoES, "detalhamento");
    EXPECT_EQ(lida.giEntrada, d.giEntrada);

    // Só o cabeçalho muda: gravado; nada muda: gravar de novo não altera nada
    lida.doc.STATUS_ID = 2;
    GravarDeclaracao(c, lida);
    GravarDeclaracao(c, lida);
    const Declaracao releitura = CarregarDeclaracao(c, 44);
    EXPECT_EQ(releitura.doc, lida.doc);
    mesmasLinhas(releitura.giSaidas, d.giSaidas, "GI de saídas");
}

