// Regras da declaração: valores iniciais, ano corrente, chave, seções criadas, conflito de
// período, limpeza do que não se aplica, linhas da GI e das outras entradas.
#include <gtest/gtest.h>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

using namespace kov;

namespace {

struct Regras : ::testing::Test {
    teste::PastaTemporaria pasta;
    fb::Conexao c;
    teste::InteracaoGravada ui;
    Contribuinte contribuinte;
    std::vector<int> municipios;

    void SetUp() override {
        teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
        fb::ParametrosConexao p;
        p.banco = teste::enderecoBanco(pasta.caminho() / "KOV.GDB");
        c.abrir(p);
        fb::Transacao tr(c);
        fb::Comando m(tr, "SELECT CODDRUMUNICIPIO FROM MUNICIPIO");
        while (m.proximo()) municipios.push_back(static_cast<int>(m.coluna(0).inteiro()));
        contribuinte = teste::ContribuinteDeTeste(1, municipios.front(), "Loja");
        InserirLinhas(tr, std::vector<Contribuinte>{contribuinte});
        tr.commit();
    }
    // Declaração gravada do contribuinte 1 com os meses e a marca de mudança no ano corrente
    int gravar(int mi, int mf, const char* mmac = "N", int ano = 2010) {
        Declaracao d = NovaDeclaracao(std::to_string(ano));
        DefinirContribuinte(d, contribuinte);
        d.doc.REGIME_ID = 1;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CODDRUMUNICIPIO = municipios.front();
        d.doc.MESINICIAL = mi;
        d.doc.MESFINAL = mf;
        d.doc.MUDANCAMUNICIPIOANOCORRENTE = mmac;
        AntesDeGravarDocumento(c, d, contribuinte, 2026, std::to_string(ano));
        CriarSecoesQueFaltam(d);
        GravarDeclaracao(c, d);
        return d.doc.DOCUMENTO_ID;
    }
    Documento cabecalho(int mi, int mf, int ano = 2010) {
        Documento doc;
        doc.DOCUMENTO_ID = 0;
        doc.CONTRIBUINTE_ID = 1;
        doc.PERIODO = ano;
        doc.MESINICIAL = mi;
        doc.MESFINAL = mf;
        doc.MUDANCAMUNICIPIOANOCORRENTE = "N";
        return doc;
    }
};

}  // namespace

TEST_F(Regras, DeclaracaoNovaEAntesDeGravar) {
    Declaracao d = NovaDeclaracao("2015");
    EXPECT_EQ(d.doc.STATUS_ID, 0);
    EXPECT_EQ(d.doc.PERIODO, 2015);
    EXPECT_EQ(d.doc.TIPORECOLHIMENTO_ID, 0);
    for (auto f : {d.doc.SUBSTITUICAO, d.doc.ESCRITACONTABIL, d.doc.BAIXA, d.doc.MUDANCAMUNICIPIO,
                   d.doc.MUDANCAMUNICIPIOANOCORRENTE})
        EXPECT_EQ(f, "N");
    EXPECT_THROW(NovaDeclaracao(""), ErroSistema);
    EXPECT_THROW(NovaDeclaracao("20x5"), ErroSistema);

    // Contribuinte sem responsável atribuído (0) passa; a consistência é que reclama
    DefinirContribuinte(d, contribuinte);
    EXPECT_EQ(d.doc.CNAEF_ID, "4711301");
    Contribuinte semResponsavel = contribuinte;
    semResponsavel.RESPONSAVEL_ID.reset();
    try {
        DefinirContribuinte(d, semResponsavel);
        FAIL();
    } catch (const ErroSistema& e) {
        EXPECT_EQ(std::string(e.what()),
                  "O contribuinte selecionado não possui responsável associado!\r\nContribuinte: 1234567890107 - Loja\r\n"
                  "Para utilizar este contribuinte acesse o cadastro e informe um responsável.");
    }

    // Ano base igual ao ano de hoje: só mudança de município ou baixa no ano corrente
    d.doc.REGIME_ID = 3;
    d.doc.TIPORECOLHIMENTO_ID = 2;
    try {
        AntesDeGravarDocumento(c, d, contribuinte, 2015, "2015");
        FAIL();
    } catch (const ErroSistema& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Quando o ano exercício é igual ao ano corrente obrigatoriamente o registro \r\nprecisa ser uma "
                  "\"mudança de município no ano corrente\" ou \"baixa referente ao ano corrente\"");
    }
    EXPECT_EQ(d.doc.DOCUMENTO_ID, 0) << "nada muda quando a regra recusa";
    d.doc.BAIXA = "S";
    contribuinte.CNAEF_ID = "0111301";
    AntesDeGravarDocumento(c, d, contribuinte, 2015, "2015");
    EXPECT_EQ(d.doc.TIPORECOLHIMENTO_ID, 0) << "regimes 1 a 4 não têm apuração";
    EXPECT_GT(d.doc.DOCUMENTO_ID, 0);
    EXPECT_EQ(d.doc.CNAEF_ID, "0111301") << "o código vem do contribuinte a cada gravação";
    const int primeira = d.doc.DOCUMENTO_ID;
    AntesDeGravarDocumento(c, d, contribuinte, 2015, "2015");
    EXPECT_EQ(d.doc.DOCUMENTO_ID, primeira) << "a chave só é tirada uma vez";
    // Ano base não numérico vale 1 para a regra do ano corrente
    Declaracao e = NovaDeclaracao("2015");
    e.doc.REGIME_ID = 5;
    e.doc.TIPORECOLHIMENTO_ID = 2;
    AntesDeGravarDocumento(c, e, contribuinte, 2015, "ano");
    EXPECT_EQ(e.doc.TIPORECOLHIMENTO_ID, 2) << "regimes 5 e 6 mantêm a apuração";
    EXPECT_EQ(e.doc.DOCUMENTO_ID, primeira + 1);
}

TEST_F(Regras, SecoesCriadasDepoisDeGravar) {
    Declaracao d = NovaDeclaracao("2010");
    d.doc.DOCUMENTO_ID = 9;
    DetalhamentoES tres;
    tres.TIPOOPERACAO_ID = 3;
    tres.VCCOMPRAVENDA = Dinheiro::deReais(5);
    d.detalhamentoES.push_back(tres);
    CriarSecoesQueFaltam(d);
    ASSERT_EQ(d.detalhamentoES.size(), 6u);
    for (int t = 1; t <= 6; ++t) EXPECT_EQ(d.detalhamentoES[static_cast<size_t>(t - 1)].TIPOOPERACAO_ID, t);
    EXPECT_EQ(v(d.detalhamento(3)->VCCOMPRAVENDA), Dinheiro::deReais(5)) << "a linha que existia fica";
    EXPECT_TRUE(d.detalhamento(1)->VCSUBTOTAL.has_value());
    EXPECT_EQ(v(d.detalhamento(1)->VCSUBTOTAL), Dinheiro{});
    ASSERT_TRUE(d.estoque && d.despesas && d.resultado && d.entrada && d.saida && d.kov && d.exclusoes);
    EXPECT_TRUE(d.exclusoes->ENTAJUSTETRANSFERENCIA.has_value()) << "zerado, não nulo";
}

TEST_F(Regras, ConflitoDePeriodo) {
    const int id = gravar(1, 6);
    EXPECT_FALSE(ExisteConflitoPeriodo(c, cabecalho(7, 12)));
    EXPECT_TRUE(ExisteConflitoPeriodo(c, cabecalho(6, 12)));
    EXPECT_TRUE(ExisteConflitoPeriodo(c, cabecalho(3, 12)));  // a existente contém o mês 3
    EXPECT_FALSE(ExisteConflitoPeriodo(c, cabecalho(1, 6, 2011))) << "outro ano";
    Documento propria = cabecalho(1, 6);
    propria.DOCUMENTO_ID = id;
    EXPECT_FALSE(ExisteConflitoPeriodo(c, propria)) << "a própria declaração não conta";

}

TEST_F(Regras, ConflitoComDeclaracaoQueComecaDentroDoPeriodo) {
    gravar(3, 12);
    EXPECT_TRUE(ExisteConflitoPeriodo(c, cabecalho(1, 6)));  // a existente começa dentro de 1-6
    EXPECT_FALSE(ExisteConflitoPeriodo(c, cabecalho(1, 2)));
}

TEST_F(Regras, MudancaNoAnoCorrenteNuncaConflita) {
    gravar(1, 12, "S");
    EXPECT_FALSE(ExisteConflitoPeriodo(c, cabecalho(1, 12)));
    EXPECT_FALSE(ExisteConflitoPeriodo(c, cabecalho(5, 5)));
}

TEST_F(Regras, ValidacaoDoCabecalhoNaOrdem) {
    gravar(1, 6);
    Declaracao d = NovaDeclaracao("2010");
    auto falha = [&](const std::string& texto) {
        ui.mensagens.clear();
        EXPECT_FALSE(ValidarDocumento(c, d, ui));
        ASSERT_EQ(ui.mensagens.size(), 1u);
        EXPECT_EQ(ui.mensagens[0].titulo, "Erro");
        EXPECT_EQ(ui.mensagens[0].texto, texto);
    };
    falha("Favor informar o contribuinte.");
    d.doc.CONTRIBUINTE_ID = 1;
    falha("Período de referência inválido");
    d.doc.MESINICIAL = 9;
    falha("Período de referência inválido");
    d.doc.MESFINAL = 8;
    d.doc.MUDANCAMUNICIPIO = "S";
    falha("Favor informar o município.");
    d.MUNICIPIO_MUNICIPIO_ID = 10;
    falha("Favor informar o regime de recolhimento.");
    d.doc.REGIME_ID = 1;
    falha("Mês Inicial maior que Mês Final!");
    d.doc.MESINICIAL = 6;
    d.doc.MESFINAL = 12;
    falha("Existe documento com conflito de periodo para este contribuinte!");
    d.doc.MESINICIAL = 7;
    ui.mensagens.clear();
    EXPECT_TRUE(ValidarDocumento(c, d, ui));
    EXPECT_TRUE(ui.mensagens.empty());
}

TEST_F(Regras, LimpezaDoQueNaoSeAplica) {
    auto completa = [&](int regime, int tipo, const char* escrita) {
        Declaracao d = NovaDeclaracao("2010");
        d.doc.DOCUMENTO_ID = 5;
        d.doc.REGIME_ID = regime;
        d.doc.TIPOCONTRIBUINTE_ID = tipo;
        d.doc.ESCRITACONTABIL = escrita;
        CriarSecoesQueFaltam(d);
        for (auto* q : {&d.exclusoes->ENTICMSST, &d.exclusoes->ENTSUBCONTRATACAOTRANSPORTE,
                        &d.exclusoes->SAITRANPORTESINICIADOOUTRA, &d.entrada->VCTOTAL, &d.entrada->PRODUTOSAGROP,
                        &d.saida->COOPERATIVA, &d.saida->TRANSPORTETOMADO, &d.kov->SAIDAS})
            *q = Dinheiro::deReais(10);
        GIEntrada g;
        g.UF_ID = "SP";
        d.giEntrada.push_back(g);
        return d;
    };
    // Regime 3: sem detalhamento; totais de entrada e saída zerados, os outros ficam
    Declaracao d = completa(3, 1, "N");
    LimparDadosNaoAplicaveis(d, 2026);
    EXPECT_TRUE(d.detalhamentoES.empty());
    EXPECT_EQ(v(d.entrada->VCTOTAL), Dinheiro{});
    EXPECT_EQ(v(d.entrada->PRODUTOSAGROP), Dinheiro::deReais(10));
    EXPECT_EQ(v(d.saida->COOPERATIVA), Dinheiro{});
    EXPECT_EQ(v(d.saida->TRANSPORTETOMADO), Dinheiro::deReais(10));
    EXPECT_FALSE(d.resultado.has_value()) << "sem escrita contábil não há demonstração de resultado";
    EXPECT_TRUE(d.despesas.has_value());
    EXPECT_EQ(d.giEntrada.size(), 1u);
    // Regime 2 mantém o detalhamento; com escrita contábil sai a tabela de despesas
    d = completa(2, 1, "S");
    LimparDadosNaoAplicaveis(d, 2026);
    EXPECT_EQ(d.detalhamentoES.size(), 6u);
    EXPECT_EQ(v(d.entrada->VCTOTAL), Dinheiro::deReais(10));
    EXPECT_FALSE(d.despesas.has_value());
    EXPECT_TRUE(d.resultado.has_value());
    // Transportador: só as exclusões de transporte ficam; tipo 3: só elas são zeradas
    d = completa(1, 0, "N");
    LimparDadosNaoAplicaveis(d, 2026);
    EXPECT_EQ(v(d.exclusoes->ENTICMSST), Dinheiro{});
    EXPECT_EQ(v(d.exclusoes->ENTSUBCONTRATACAOTRANSPORTE), Dinheiro::deReais(10));
    EXPECT_EQ(v(d.exclusoes->SAITRANPORTESINICIADOOUTRA), Dinheiro::deReais(10));
    d = completa(1, 3, "N");
    LimparDadosNaoAplicaveis(d, 2026);
    EXPECT_EQ(v(d.exclusoes->ENTICMSST), Dinheiro::deReais(10));
    EXPECT_EQ(v(d.exclusoes->ENTSUBCONTRATACAOTRANSPORTE), Dinheiro{});
    // Apuração presumida: sem detalhamento por tipo de operação
    d = completa(5, 1, "N");
    d.doc.TIPORECOLHIMENTO_ID = 2;
    d.doc.REGIME_ID = 1;
    LimparDadosNaoAplicaveis(d, 2026);
    EXPECT_TRUE(d.detalhamentoES.empty());
    // Mudança de município no ano corrente, nova: KOV e exclusões zerados, seções do PRELO e GI apagadas
    d = completa(1, 1, "N");
    d.doc.PERIODO = 2026;
    d.doc.MUDANCAMUNICIPIO = "S";
    d.salvo = d.doc;
    d.salvo->MUDANCAMUNICIPIO = "N";
    DetalhamentoEntrada m;
    m.CODDRUMUNICIPIO = municipios.front();
    m.MUDANCAMUNICIPIO = "S";
    d.detalhamentoEntrada.push_back(m);
    LimparDadosNaoAplicaveis(d, 2026);
    EXPECT_EQ(v(d.kov->SAIDAS), Dinheiro{});
    EXPECT_EQ(v(d.exclusoes->ENTSUBCONTRATACAOTRANSPORTE), Dinheiro{});
    EXPECT_FALSE(d.estoque || d.despesas || d.resultado || d.entrada || d.saida);
    EXPECT_TRUE(d.detalhamentoES.empty());
    EXPECT_TRUE(d.giEntrada.empty());
    EXPECT_EQ(d.detalhamentoEntrada.size(), 1u);
    // Já gravada como mudança no ano corrente: o KOV digitado fica
    d = completa(1, 1, "N");
    d.doc.PERIODO = 2026;
    d.doc.MUDANCAMUNICIPIO = "S";
    d.salvo = d.doc;
    LimparDadosNaoAplicaveis(d, 2026);
    EXPECT_EQ(v(d.kov->SAIDAS), Dinheiro::deReais(10));
}

TEST_F(Regras, LinhasDaGI) {
    Declaracao d = NovaDeclaracao("2010");
    d.doc.DOCUMENTO_ID = 3;
    GIEntrada sp;
    sp.UF_ID = "SP";
    sp.VALORCONTABIL = Dinheiro::deReais(100);
    GravarLinhaGIEntrada(d, sp, std::nullopt, ui);
    ASSERT_EQ(d.giEntrada.size(), 1u);
    EXPECT_TRUE(d.giEntrada[0].BASECALCULO.has_value()) << "valor apagado vale 0";
    GIEntrada vazia;
    vazia.UF_ID = "  ";
    try {
        GravarLinhaGIEntrada(d, vazia, std::nullopt, ui);
        FAIL();
    } catch (const Abortar& a) {
        EXPECT_EQ(a.campo, "DESCRICAO_UF");
    }
    EXPECT_EQ(ui.textos().back(), "UF não informada!");
    EXPECT_EQ(vazia.UF_ID, "  ") << "sem UF a linha fica como foi digitada";
    // UF repetida é recusada antes de chegar ao banco; a linha fica como estava
    GIEntrada outra = sp;
    outra.VALORCONTABIL = Dinheiro::deReais(7);
    EXPECT_THROW(GravarLinhaGIEntrada(d, outra, std::nullopt, ui), Abortar);
    EXPECT_EQ(ui.textos().back(), "UF já foi informada!");
    EXPECT_EQ(d.giEntrada.size(), 1u);
    EXPECT_EQ(v(d.giEntrada[0].VALORCONTABIL), Dinheiro::deReais(100));
    EXPECT_TRUE(outra.UF_ID.empty() && v(outra.VALORCONTABIL) == Dinheiro{}) << "a inclusão volta em branco";
    GIEntrada ba = sp;
    ba.UF_ID = "BA";
    GravarLinhaGIEntrada(d, ba, std::nullopt, ui);
    ba.UF_ID = "SP";
    ba.VALORCONTABIL = Dinheiro::deReais(9);
    EXPECT_THROW(GravarLinhaGIEntrada(d, ba, 0, ui), Abortar);
    EXPECT_EQ(ba.UF_ID, "BA") << "a alteração volta a ser a linha gravada";
    EXPECT_EQ(v(ba.VALORCONTABIL), Dinheiro::deReais(100));
    d.giEntrada.erase(d.giEntrada.begin());
    // Editar a própria linha sem trocar a UF não é repetição
    outra = sp;
    outra.VALORCONTABIL = Dinheiro::deReais(7);
    GravarLinhaGIEntrada(d, outra, 0, ui);
    EXPECT_EQ(v(d.giEntrada[0].VALORCONTABIL), Dinheiro::deReais(7));
    GISaidas s1;
    s1.UF_ID = "BA";
    GravarLinhaGISaidas(d, s1, std::nullopt, ui);
    s1.UF_ID = "AC";
    GravarLinhaGISaidas(d, s1, std::nullopt, ui);
    EXPECT_EQ(d.giSaidas.front().UF_ID, "AC") << "em ordem de UF";
    // Se uma repetição ainda chegar ao banco, as palavras são as mesmas
    d = NovaDeclaracao("2010");
    DefinirContribuinte(d, contribuinte);
    d.doc.REGIME_ID = 1;
    d.doc.TIPOCONTRIBUINTE_ID = 1;
    d.doc.CODDRUMUNICIPIO = municipios.front();
    d.doc.MESINICIAL = 1;
    d.doc.MESFINAL = 12;
    AntesDeGravarDocumento(c, d, contribuinte, 2026, "2010");
    d.giEntrada = {sp, sp};
    try {
        GravarDeclaracao(c, d);
        FAIL();
    } catch (const fb::ErroBanco& e) {
        EXPECT_TRUE(e.violacaoDeChave());
        EXPECT_EQ(MensagemChaveRepetida(e.what()), "UF já foi informada!");
    }
    d.giEntrada = {sp};
    DetalhamentoEntrada m;
    m.CODDRUMUNICIPIO = municipios.front();
    m.MUDANCAMUNICIPIO = "N";
    d.detalhamentoEntrada = {m, m};
    try {
        GravarDeclaracao(c, d);
        FAIL();
    } catch (const fb::ErroBanco& e) {
        EXPECT_EQ(MensagemChaveRepetida(e.what()), "Valor para este Município já foi informado!");
    }
    EXPECT_EQ(MensagemChaveRepetida("outro erro qualquer"), "");
}

TEST_F(Regras, LinhasDeOutrasEntradasPorMunicipio) {
    Declaracao d = NovaDeclaracao("2010");
    d.doc.DOCUMENTO_ID = 3;
    DetalhamentoEntrada nova = NovaLinhaDetalhamentoEntrada("S");
    EXPECT_EQ(nova.MUDANCAMUNICIPIO, "S");
    EXPECT_EQ(v(nova.VALOR), Dinheiro{});
    EXPECT_TRUE(nova.VALORMUDANCA.has_value());
    // A linha passada é a da edição: o que a regra muda nela fica visível para a tela
    auto erro = [&](DetalhamentoEntrada& l, std::optional<size_t> i, const std::string& campo, const std::string& texto) {
        try {
            GravarLinhaDetalhamentoEntrada(d, l, i, municipios);
            ADD_FAILURE() << "aceitou " << texto;
        } catch (const ErroCampo& e) {
            EXPECT_EQ(e.campo, campo);
            EXPECT_EQ(std::string(e.what()), texto);
        }
    };
    // Valor negativo: o campo fica 0 na linha em edição e a gravação é recusada; o outro
    // campo não muda
    struct Negativo {
        Quantia DetalhamentoEntrada::*campo;
        Quantia DetalhamentoEntrada::*outro;
        const char* nome;
    };
    for (const Negativo& n : {Negativo{&DetalhamentoEntrada::VALOR, &DetalhamentoEntrada::VALORMUDANCA, "VALOR"},
                              Negativo{&DetalhamentoEntrada::VALORMUDANCA, &DetalhamentoEntrada::VALOR, "VALORMUDANCA"}}) {
        DetalhamentoEntrada neg = NovaLinhaDetalhamentoEntrada("N");
        neg.CODDRUMUNICIPIO = municipios[0];
        neg.*n.campo = Dinheiro::deCentavos(-1);
        neg.*n.outro = Dinheiro::deReais(7);
        erro(neg, std::nullopt, n.nome, "Campo \"VALOR\" não pode ter valor negativo");
        EXPECT_EQ(neg.*n.campo, Quantia(Dinheiro{})) << n.nome;
        EXPECT_EQ(neg.*n.outro, Quantia(Dinheiro::deReais(7))) << n.nome;
    }
    DetalhamentoEntrada l = NovaLinhaDetalhamentoEntrada("N");
    l.VALOR = Dinheiro::deReais(1);
    l.CODDRUMUNICIPIO = 0;
    erro(l, std::nullopt, "CODDRUMUNICIPIO", "Id. do Município não informado!");
    l.CODDRUMUNICIPIO = 987654321;
    erro(l, std::nullopt, "CODDRUMUNICIPIO", "Id. do Município não informado!");
    EXPECT_TRUE(d.detalhamentoEntrada.empty());
    // Linha da mudança de município: VALOR vem de VALORMUDANCA
    DetalhamentoEntrada mud = NovaLinhaDetalhamentoEntrada("S");
    mud.CODDRUMUNICIPIO = municipios[1];
    mud.VALORMUDANCA = Dinheiro::deReais(500);
    GravarLinhaDetalhamentoEntrada(d, mud, std::nullopt, municipios);
    EXPECT_EQ(v(d.detalhamentoEntrada[0].VALOR), Dinheiro::deReais(500));
    // Mesmo município outra vez, de qualquer marca: recusado
    l.CODDRUMUNICIPIO = municipios[1];
    erro(l, std::nullopt, "CODDRUMUNICIPIO", "Valor para este Município já foi informado!");
    l.CODDRUMUNICIPIO = municipios[2];
    GravarLinhaDetalhamentoEntrada(d, l, std::nullopt, municipios);
    // Trocar a linha 1 para o município da linha 0 é repetição, e as alterações da linha são
    // descartadas (ela volta a ser a gravada); mantê-lo não é repetição
    DetalhamentoEntrada troca = d.detalhamentoEntrada[1];
    troca.CODDRUMUNICIPIO = municipios[1];
    troca.VALOR = Dinheiro::deReais(9);
    erro(troca, 1, "CODDRUMUNICIPIO", "Valor para este Município já foi informado!");
    EXPECT_EQ(troca, d.detalhamentoEntrada[1]);
    troca.CODDRUMUNICIPIO = 987654321;
    erro(troca, 1, "CODDRUMUNICIPIO", "Id. do Município não informado!");
    EXPECT_EQ(troca, d.detalhamentoEntrada[1]);
    troca.CODDRUMUNICIPIO = municipios[2];
    troca.VALOR = Dinheiro::deReais(3);
    GravarLinhaDetalhamentoEntrada(d, troca, 1, municipios);
    EXPECT_EQ(v(d.detalhamentoEntrada[1].VALOR), Dinheiro::deReais(3));
}

TEST_F(Regras, ListaDoAnoBaseComSituacao) {
    const int a = gravar(1, 3);
    const int b = gravar(4, 6);
    const int outroAno = gravar(1, 12, "N", 2009);
    {
        fb::Transacao tr(c);
        for (const std::string& sql :
             {"INSERT INTO TRANSMISSAO (TRANSMISSAO_ID, DOCUMENTO_ID, TIPOTRANSMISSAO) VALUES (1, " + std::to_string(a) + ", 'D')",
              "INSERT INTO TRANSMISSAO (TRANSMISSAO_ID, DOCUMENTO_ID, TIPOTRANSMISSAO) VALUES (2, " + std::to_string(a) + ", 'T')",
              "INSERT INTO TRANSMISSAO (TRANSMISSAO_ID, DOCUMENTO_ID, TIPOTRANSMISSAO) VALUES (3, " + std::to_string(a) + ", 'D')"})
            fb::Comando::executarDireto(tr, sql);
        tr.commit();
    }
    auto lista = ListarDeclaracoes(c, "2010");
    ASSERT_EQ(lista.size(), 2u);
    EXPECT_EQ(lista[0].DOCUMENTO_ID, a);
    EXPECT_EQ(lista[0].SITUACAO, "T") << "'T' vence, em qualquer ordem";
    EXPECT_EQ(lista[1].DOCUMENTO_ID, b);
    EXPECT_EQ(lista[1].SITUACAO, "N");
    EXPECT_EQ(lista[1].STATUS_ID, 0);
    EXPECT_FALSE(lista[1].DESCRICAO_STATUS.empty());
    EXPECT_EQ(ListarDeclaracoes(c, "2009").front().DOCUMENTO_ID, outroAno);
    // A mesma situação no agregado carregado
    EXPECT_EQ(CarregarDeclaracao(c, a).SITUACAO, "T");
    EXPECT_EQ(CarregarDeclaracao(c, b).SITUACAO, "N");
    EXPECT_EQ(ListarDeclaracoes(c, "").size(), 3u);
}

TEST_F(Regras, GravacaoCompletaDoEditor) {
    // Transportador, regime 1: KOV das saídas de transporte, entradas a 20 %, outras entradas o resto
    contribuinte.TIPOCONTRIBUINTE_ID = 0;
    Declaracao d = NovaDeclaracao("2010");
    DefinirContribuinte(d, contribuinte);
    d.doc.REGIME_ID = 1;
    d.doc.TIPOCONTRIBUINTE_ID = 0;
    d.doc.CODDRUMUNICIPIO = municipios.front();
    d.doc.MESINICIAL = 1;
    d.doc.MESFINAL = 12;
    d.doc.ESCRITACONTABIL = "S";
    CriarSecoesQueFaltam(d);
    d.detalhamento(4)->VCTRANSPORTE = Dinheiro::deReais(600);
    d.detalhamento(4)->BCTRANSPORTE = Dinheiro::deReais(450);
    d.detalhamento(5)->VCTRANSPORTE = Dinheiro::deReais(403);
    d.exclusoes->ENTICMSST = Dinheiro::deReais(50);  // some: transportador só tem exclusões de transporte
    d.estoque->INITRIBUTADOS = Dinheiro::deCentavos(1050);
    d.estoque->INIOUTROS = Dinheiro::deCentavos(25);
    SalvarDeclaracao(c, d, contribuinte, 2026, "2010");
    ASSERT_GT(d.doc.DOCUMENTO_ID, 0);

    Declaracao lida = CarregarDeclaracao(c, d.doc.DOCUMENTO_ID);
    ASSERT_TRUE(lida.kov && lida.estoque && lida.resultado && lida.exclusoes);
    EXPECT_FALSE(lida.despesas.has_value()) << "com escrita contábil, sem despesas operacionais";
    EXPECT_EQ(lida.detalhamentoES.size(), 6u);
    EXPECT_EQ(v(lida.exclusoes->ENTICMSST), Dinheiro{});
    EXPECT_EQ(v(lida.estoque->INITOTAL), Dinheiro::deCentavos(1075));
    EXPECT_EQ(v(lida.detalhamento(4)->OPSICMSTRANSPORTE), Dinheiro::deReais(150));
    EXPECT_EQ(v(lida.detalhamento(4)->VCSUBTOTAL), Dinheiro::deReais(600));
    EXPECT_EQ(v(lida.kov->SAIDAS), Dinheiro::deReais(1003));
    EXPECT_EQ(v(lida.kov->ENTRADAS), Dinheiro::deReais(201)) << "200,6 arredondado";
    EXPECT_EQ(v(lida.kov->TOTALENTRADAS), v(lida.kov->SAIDAS));
    EXPECT_EQ(v(lida.kov->TOTALKOV), Dinheiro{});
}

TEST_F(Regras, PreparacaoDasPaginasCriaSoOQueFalta) {
    Declaracao d = NovaDeclaracao("2010");
    d.estoque.emplace();
    d.estoque->INITRIBUTADOS = Dinheiro::deReais(3);
    PrepararDetalhesPrelo(d);
    EXPECT_EQ(v(d.estoque->INITRIBUTADOS), Dinheiro::deReais(3)) << "a linha que existe fica como está";
    ASSERT_TRUE(d.despesas && d.resultado && d.entrada && d.saida);
    EXPECT_TRUE(d.entrada->VCTOTAL.has_value());
    EXPECT_FALSE(d.kov || d.exclusoes) << "as seções do KOV são da outra página";
    PrepararDetalhesKOV(d);
    ASSERT_TRUE(d.kov && d.exclusoes);
    EXPECT_EQ(v(d.kov->SAIDAS), Dinheiro{});
    EXPECT_TRUE(d.detalhamentoES.empty()) << "o detalhamento por tipo de operação não é criado aqui";
}

TEST_F(Regras, GeradorAtrasadoNuncaSobrescreveOutraDeclaracao) {
    // Declarações gravadas com chaves à frente do gerador (base de outra origem)
    {
        fb::Transacao tr(c);
        fb::Comando g(tr, "SELECT GEN_ID(GEN_DOCUMENTO, 0) FROM RDB$DATABASE");
        g.proximo();
        const int proxima = static_cast<int>(g.coluna(0).inteiro()) + 1;
        tr.commit();
        for (int chave : {proxima, proxima + 1}) {
            Declaracao d = NovaDeclaracao("2009");
            DefinirContribuinte(d, contribuinte);
            d.doc.DOCUMENTO_ID = chave;
            d.doc.REGIME_ID = 2;
            d.doc.TIPOCONTRIBUINTE_ID = 1;
            d.doc.CODDRUMUNICIPIO = municipios.front();
            d.doc.MESINICIAL = d.doc.MESFINAL = 3;
            GravarDeclaracao(c, d);  // só o cabeçalho: nenhuma seção para colidir
        }
    }
    const int nova = gravar(1, 12);
    const auto doAno = [&](const char* ano) { return ListarDeclaracoes(c, ano); };
    ASSERT_EQ(doAno("2009").size(), 2u) << "as duas de 2009 continuam lá";
    EXPECT_EQ(doAno("2009")[0].MESFINAL, 3);
    ASSERT_EQ(doAno("2010").size(), 1u);
    EXPECT_EQ(doAno("2010")[0].DOCUMENTO_ID, nova);
    EXPECT_GT(nova, doAno("2009")[1].DOCUMENTO_ID);

    // Uma declaração nova com a chave de outra falha pela chave, sem tocar na outra
    Declaracao d = NovaDeclaracao("2010");
    DefinirContribuinte(d, contribuinte);
    d.doc.DOCUMENTO_ID = nova;
    d.doc.REGIME_ID = 2;
    d.doc.TIPOCONTRIBUINTE_ID = 1;
    d.doc.CODDRUMUNICIPIO = municipios.front();
    d.doc.MESINICIAL = d.doc.MESFINAL = 5;
    EXPECT_THROW(GravarDeclaracao(c, d), std::exception);
    EXPECT_EQ(CarregarDeclaracao(c, nova).doc.MESFINAL, 12);
}
