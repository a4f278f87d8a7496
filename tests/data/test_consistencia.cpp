// Consistência da declaração: cada código E001..E039 com o caso que o dispara e o limite
// (valores iguais) que não dispara, a conferência de totais "00", o status gravado e as
// listas de erros do lote, sobre declarações gravadas numa base real.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "data/Consistencia.h"
#include "data/Figuras.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

using namespace kov;

namespace {

Dinheiro R(int64_t centavos) { return Dinheiro::deCentavos(centavos); }

struct Cabecalho {
    int regime = 1;
    int tipo = 1;  // TIPOCONTRIBUINTE_ID
    const char* mm = "N";
    const char* mmac = "N";
    int recolhimento = 0;
    const char* escrita = "N";
    int mesInicial = 1, mesFinal = 12;
};

struct Consistencia : ::testing::Test {
    teste::PastaTemporaria pasta;
    fb::Conexao c;
    Contribuinte contribuinte;
    std::vector<LinhaConsistencia> consistencias;
    std::vector<LinhaCNAEF> cnaef;
    ListasConsistencia listas;
    int municipio = 0;

    void SetUp() override {
        teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
        fb::ParametrosConexao p;
        p.banco = teste::enderecoBanco(pasta.caminho() / "KOV.GDB");
        c.abrir(p);
        fb::Transacao tr(c);
        {
            fb::Comando m(tr, "SELECT MIN(CODDRUMUNICIPIO) FROM MUNICIPIO");
            m.proximo();
            municipio = static_cast<int>(m.coluna(0).inteiro());
        }
        {
            fb::Comando q(tr, "SELECT ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO FROM CONSISTENCIAS");
            while (q.proximo()) {
                consistencias.push_back({q.coluna(0).texto(), q.coluna(1).texto(), q.coluna(2).texto(),
                                         q.coluna(3).texto(), q.coluna(4).texto(), q.coluna(5).texto(),
                                         q.coluna(6).texto()});
            }
        }
        {
            // Os CNAE-F válidos em 1º de janeiro do ano seguinte ao ano base 2016
            fb::Comando q(tr, "SELECT CNAEF_ID, DESMEMBRAMENTO FROM CNAEF WHERE DATA_INICIO <= DATE '2017-01-01' AND "
                              "DATA_FIM >= DATE '2017-01-01'");
            while (q.proximo()) {
                LinhaCNAEF l;
                l.CNAEF_ID = q.coluna(0).texto();
                l.DESMEMBRAMENTO = q.coluna(1).texto();
                cnaef.push_back(l);
            }
        }
        Responsavel r;
        r.RESPONSAVEL_ID = 1;
        r.NOME = "Contadora";
        InserirLinhas(tr, std::vector<Responsavel>{r});
        contribuinte = teste::ContribuinteDeTeste(1, municipio, "Mercado Boa Vista");
        contribuinte.RESPONSAVEL_ID = 1;
        InserirLinhas(tr, std::vector<Contribuinte>{contribuinte});
        tr.commit();
        ASSERT_GE(consistencias.size(), 39u);
        ASSERT_FALSE(cnaef.empty());
    }

    // Declaração gravada pela gravação do editor (totais e KOV certos) e lida de novo da base.
    Declaracao gravada(const Cabecalho& h) {
        Declaracao d = NovaDeclaracao("2016");
        DefinirContribuinte(d, contribuinte);
        d.doc.REGIME_ID = h.regime;
        d.doc.TIPOCONTRIBUINTE_ID = h.tipo;
        d.doc.CODDRUMUNICIPIO = municipio;
        d.doc.MUDANCAMUNICIPIO = h.mm;
        d.doc.MUDANCAMUNICIPIOANOCORRENTE = h.mmac;
        d.doc.TIPORECOLHIMENTO_ID = h.recolhimento;
        d.doc.ESCRITACONTABIL = h.escrita;
        d.doc.MESINICIAL = h.mesInicial;
        d.doc.MESFINAL = h.mesFinal;
        SalvarDeclaracao(c, d, contribuinte, 2026, "2016");
        return CarregarDeclaracao(c, d.doc.DOCUMENTO_ID);
    }

    int consistir(Declaracao& d) {
        return ConsistirDocumento(d, {c, contribuinte, consistencias, cnaef}, listas);
    }

    std::vector<std::string> codigos(int documento) const {
        std::vector<std::string> v;
        for (const auto& e : listas.errosDe(documento)) v.push_back(e.Erro);
        return v;
    }
    std::vector<std::string> mensagens(int documento) const {
        std::vector<std::string> v;
        for (const auto& e : listas.errosDe(documento)) v.push_back(e.Mensagem);
        return v;
    }
    int statusGravado(int documento) {
        auto tr = fb::Transacao::leitura(c);
        fb::Comando q(tr, "SELECT STATUS_ID FROM DOCUMENTO WHERE DOCUMENTO_ID = :ID");
        q.param("ID", documento);
        EXPECT_TRUE(q.proximo());
        const int s = static_cast<int>(q.coluna(0).inteiro());
        tr.commit();
        return s;
    }
};

bool tem(const std::vector<std::string>& v, const std::string& x) { return std::find(v.begin(), v.end(), x) != v.end(); }

// Refaz os subtotais gravados da linha do tipo, como a tela de detalhamento faz ao gravar.
DetalhamentoES& det(Declaracao& d, int tipo) {
    DetalhamentoES* l = d.detalhamento(tipo);
    if (!l) throw std::logic_error("sem linha do tipo " + std::to_string(tipo));
    return *l;
}
void subtotais(Declaracao& d) {
    for (auto& l : d.detalhamentoES) TotaisAntesDeGravar(l);
    if (d.exclusoes) TotaisAntesDeGravar(*d.exclusoes);
    if (d.resultado) TotaisAntesDeGravar(*d.resultado);
}

DetalhamentoEntrada municipioDe(int cod, Dinheiro valor, const char* mm) {
    DetalhamentoEntrada l;
    l.CODDRUMUNICIPIO = cod;
    l.VALOR = valor;
    l.VALORMUDANCA = std::string(mm) == "S" ? valor : Dinheiro{};
    l.MUDANCAMUNICIPIO = mm;
    return l;
}

}  // namespace

TEST_F(Consistencia, DeclaracaoConsistenteGanhaStatus2EGrava) {
    // Regime de débito/crédito sem GI e sem entradas de outros estados: os dois lados de
    // E001..E004 são zero
    Declaracao d = gravada({});
    ASSERT_EQ(d.doc.STATUS_ID, 0);
    EXPECT_EQ(consistir(d), STATUS_CONSISTENTE);
    EXPECT_TRUE(listas.errosDe(d.doc.DOCUMENTO_ID).empty()) << ::testing::PrintToString(mensagens(d.doc.DOCUMENTO_ID));
    EXPECT_EQ(statusGravado(d.doc.DOCUMENTO_ID), 2);
    ASSERT_EQ(listas.cdsDocumentosErros.size(), 1u);
    const auto& l = listas.cdsDocumentosErros[0];
    EXPECT_EQ(l.Documento, d.doc.DOCUMENTO_ID);
    EXPECT_EQ(l.IEContribuinte, "1234567890107");
    EXPECT_EQ(l.Contribuinte, "Mercado Boa Vista");
    EXPECT_EQ(l.Periodo, 2016);
    EXPECT_EQ(l.MesInicial, "Janeiro");
    EXPECT_EQ(l.MesFinal, "Dezembro");

    // Com movimento, também consistente: entradas de outros estados iguais à GI
    Declaracao m = CarregarDeclaracao(c, d.doc.DOCUMENTO_ID);
    det(m, 1).VCCOMPRAVENDA = R(500000);
    det(m, 2).VCCOMPRAVENDA = R(100000);
    det(m, 2).BCCOMPRAVENDA = R(80000);
    det(m, 2).ICMSCOMPRAVENDA = R(9600);
    det(m, 4).VCCOMPRAVENDA = R(900000);
    GIEntrada gi;
    gi.UF_ID = "SP";
    gi.VALORCONTABIL = R(100000);
    gi.BASECALCULO = R(80000);
    m.giEntrada.push_back(gi);
    m.entrada->PRODUTOSAGROP = R(10000);
    m.kov->OUTRASENTRADAS = R(10000);
    m.detalhamentoEntrada.push_back(municipioDe(municipio, R(10000), "N"));
    // Como a tela de detalhamento: subtotais e totais de entradas e saídas antes de gravar
    subtotais(m);
    TotalizarEntradasSaidas(m);
    SalvarDeclaracao(c, m, contribuinte, 2026, "2016");
    Declaracao m2 = CarregarDeclaracao(c, m.doc.DOCUMENTO_ID);
    EXPECT_EQ(consistir(m2), STATUS_CONSISTENTE) << ::testing::PrintToString(mensagens(m.doc.DOCUMENTO_ID));
    EXPECT_EQ(v(m2.entrada->VCTOTAL), R(600000)) << "os totais de entradas são refeitos pelos tipos 1 a 3";
}

TEST_F(Consistencia, TotalGravadoDiferenteDaUmaSoLinha00) {
    Declaracao d = gravada({});
    d.estoque->INITRIBUTADOS = R(12345);  // INITOTAL gravado continua 0
    EXPECT_EQ(consistir(d), STATUS_INCONSISTENTE);
    const auto erros = listas.errosDe(d.doc.DOCUMENTO_ID);
    ASSERT_EQ(erros.size(), 1u) << ::testing::PrintToString(mensagens(d.doc.DOCUMENTO_ID));
    EXPECT_EQ(erros[0].Erro, "00");
    EXPECT_EQ(erros[0].Mensagem, "Erro no Total do Estoque Inicial");
    EXPECT_EQ(erros[0].Dica, "Verifique o Estoque, ou Consista novamente");
    EXPECT_EQ(statusGravado(d.doc.DOCUMENTO_ID), 1);
    EXPECT_EQ(CarregarDeclaracao(c, d.doc.DOCUMENTO_ID).doc.STATUS_ID, 1);
}

TEST_F(Consistencia, ConferenciaDosTotaisComMensagensEDicas) {
    Declaracao d = gravada({});
    d.estoque->FIMTOTAL = R(1);
    d.kov->TOTALENTRADAS = R(100);  // e o TOTALKOV esperado passa a ser 0 − 1,00
    d.exclusoes->ENTENTREGAFUTURA = R(700);   // fora do total das telas, dentro do conferido
    d.exclusoes->SAICONSIGNACAO = R(300);
    consistir(d);
    const auto erros = listas.errosDe(d.doc.DOCUMENTO_ID);
    std::vector<std::pair<std::string, std::string>> vistos;
    for (const auto& e : erros) {
        EXPECT_EQ(e.Erro, "00");
        vistos.push_back({e.Mensagem, e.Dica});
    }
    const std::vector<std::pair<std::string, std::string>> esperados = {
        {"Erro no Total de Entradas do KOV ou Consista novamente", "Verifique as Entradas"},
        {"Erro no Total do KOV", "Verifique as Entradas e Saídas, ou Consista novamente"},
        {"Erro no Total do Estoque Final", "Verifique o Estoque, Consista novamente"},
        {"Erro no Total das Exclusões de Entrada", "Verifique as Exclusões ou Consista novamente"},
        {"Erro no Total das Exclusões de Saída", "Verifique as Exclusões ou Consista novamente"},
    };
    EXPECT_EQ(vistos, esperados);

    // Totais da PRELO: uma seção de entradas perdida conta zero contra a soma dos tipos 1 a 3
    listas.esvaziar();
    Declaracao p = gravada({1, 1, "N", "N", 0, "N", 1, 6});
    det(p, 1).VCCOMPRAVENDA = R(1000);
    det(p, 1).BCCOMPRAVENDA = R(800);
    det(p, 1).ICMSCOMPRAVENDA = R(100);
    det(p, 6).VCCOMPRAVENDA = R(2000);
    det(p, 6).BCCOMPRAVENDA = R(1000);
    det(p, 6).ICMSCOMPRAVENDA = R(100);
    subtotais(p);
    p.entrada.reset();
    p.saida.reset();
    consistir(p);
    const auto m = mensagens(p.doc.DOCUMENTO_ID);
    for (const char* texto : {"Erro no Total Valor Contábil de Entradas da PRELO",
                              "Erro no Total Base de Cálculo de Entradas da PRELO", "Erro no Total ICMS de Entradas da PRELO",
                              "Erro no Total Operações e Prestações sem crédito ICMS de Entradas da PRELO",
                              "Erro no Total de Saídas da PRELO", "Erro no Total Base de Cálculo de Saídas da PRELO",
                              "Erro no Total ICMS de Saídas da PRELO",
                              "Erro no Total Operações e Prestações sem crédito ICMS de Saídas da PRELO"})
        EXPECT_TRUE(tem(m, texto)) << texto;
    const auto erros2 = listas.errosDe(p.doc.DOCUMENTO_ID);
    auto dica = [&](const std::string& msg) {
        for (const auto& e : erros2)
            if (e.Mensagem == msg) return e.Dica;
        return std::string();
    };
    EXPECT_EQ(dica("Erro no Total Valor Contábil de Entradas da PRELO"), "Verifique as Entradas");
    EXPECT_EQ(dica("Erro no Total Operações e Prestações sem crédito ICMS de Entradas da PRELO"),
              "Verifique as Entradas ou Consista novamente");
    EXPECT_EQ(dica("Erro no Total de Saídas da PRELO"), "Verifique as Saídas ou Consista novamente");
}

TEST_F(Consistencia, KOVRefeitoPeloCaso) {
    // Caso A: entradas conferidas antes das saídas
    Declaracao a = gravada({});
    a.kov->ENTRADAS = R(100);
    a.kov->SAIDAS = R(100);
    TotaisAntesDeGravar(*a.kov);
    consistir(a);
    EXPECT_EQ(mensagens(a.doc.DOCUMENTO_ID),
              (std::vector<std::string>{"Erro nas Entradas do KOV", "Erro nas Saídas do KOV"}));
    EXPECT_EQ(listas.errosDe(a.doc.DOCUMENTO_ID)[0].Dica, "Verifique e Consista novamente");
    ExcluirDeclaracao(c, a.doc.DOCUMENTO_ID);

    // Caso B (transportador): saídas primeiro; as entradas esperadas são 20 % das saídas
    // gravadas, em reais inteiros (1003,00 → 200,6 → 201)
    Declaracao b = gravada({1, 0});
    det(b, 4).VCTRANSPORTE = R(100300);
    subtotais(b);
    b.kov->SAIDAS = R(100300);
    b.kov->ENTRADAS = R(20100);
    b.kov->OUTRASENTRADAS = R(80200);
    TotaisAntesDeGravar(*b.kov);
    b.detalhamentoEntrada.push_back(municipioDe(municipio, R(80200), "N"));
    EXPECT_EQ(consistir(b), STATUS_CONSISTENTE) << ::testing::PrintToString(mensagens(b.doc.DOCUMENTO_ID));
    b.kov->SAIDAS = R(100000);  // gravadas erradas: 20 % delas é 200, e as entradas gravadas são 201
    b.kov->OUTRASENTRADAS = R(79900);
    TotaisAntesDeGravar(*b.kov);
    b.detalhamentoEntrada[0].VALOR = R(79900);
    consistir(b);
    EXPECT_EQ(mensagens(b.doc.DOCUMENTO_ID),
              (std::vector<std::string>{"Erro nas Saídas do KOV", "Erro nas Entradas do KOV"}));
    b.kov->ENTRADAS = R(20000);  // coerente com as saídas gravadas: só as saídas divergem
    b.kov->OUTRASENTRADAS = R(80000);
    TotaisAntesDeGravar(*b.kov);
    b.detalhamentoEntrada[0].VALOR = R(80000);
    listas.esvaziar();
    consistir(b);
    EXPECT_EQ(mensagens(b.doc.DOCUMENTO_ID), (std::vector<std::string>{"Erro nas Saídas do KOV"}));
    // Outras entradas do transportador: saídas − entradas
    b.kov->OUTRASENTRADAS = R(80001);
    b.detalhamentoEntrada[0].VALOR = R(80001);
    TotaisAntesDeGravar(*b.kov);
    listas.esvaziar();
    consistir(b);
    EXPECT_TRUE(tem(mensagens(b.doc.DOCUMENTO_ID), "Erro nas Outras Entradas do KOV"));
    ExcluirDeclaracao(c, b.doc.DOCUMENTO_ID);

    // Tipo 3: outras entradas = P + valores de mudança de município
    listas.esvaziar();
    Declaracao t3 = gravada({1, 3, "S"});
    t3.entrada->PRODUTOSAGROP = R(1000);
    det(t3, 1).VCCOMPRAVENDA = R(1000);
    subtotais(t3);
    TotalizarEntradasSaidas(t3);
    t3.detalhamentoEntrada.push_back(municipioDe(municipio, R(500), "S"));
    CalcularKOV(t3);
    EXPECT_EQ(v(t3.kov->OUTRASENTRADAS), R(1500));
    consistir(t3);
    EXPECT_FALSE(tem(mensagens(t3.doc.DOCUMENTO_ID), "Erro nas Outras Entradas do KOV"));
    t3.kov->OUTRASENTRADAS = R(1499);
    TotaisAntesDeGravar(*t3.kov);
    listas.esvaziar();
    consistir(t3);
    EXPECT_TRUE(tem(mensagens(t3.doc.DOCUMENTO_ID), "Erro nas Outras Entradas do KOV"));
}

TEST_F(Consistencia, MudancaNoAnoCorrenteNaoRefazOKOVMasConfereOsTotais) {
    Declaracao d = gravada({3, 1, "S", "S"});
    d.kov->SAIDAS = R(99900);
    d.kov->ENTRADAS = R(100);
    d.kov->OUTRASENTRADAS = R(100);
    d.detalhamentoEntrada.push_back(municipioDe(municipio, R(100), "S"));
    // TOTALENTRADAS e TOTALKOV ficam velhos
    consistir(d);
    const auto m = mensagens(d.doc.DOCUMENTO_ID);
    EXPECT_FALSE(tem(m, "Erro nas Saídas do KOV"));
    EXPECT_FALSE(tem(m, "Erro nas Entradas do KOV"));
    EXPECT_FALSE(tem(m, "Erro nas Outras Entradas do KOV"));
    EXPECT_TRUE(tem(m, "Erro no Total de Entradas do KOV ou Consista novamente"));
    EXPECT_TRUE(tem(m, "Erro no Total do KOV"));
}

TEST_F(Consistencia, DuasVezesNoMesmoLote) {
    Declaracao d = gravada({});
    d.estoque->INITRIBUTADOS = R(100);
    consistir(d);
    consistir(d);
    EXPECT_EQ(listas.cdsDocumentosErros.size(), 1u) << "uma linha por declaração no lote";
    EXPECT_EQ(listas.errosDe(d.doc.DOCUMENTO_ID).size(), 2u) << "os erros são acrescentados de novo";

    // Outra declaração no mesmo lote, de outro contribuinte: as linhas da primeira ficam,
    // o status da segunda só depende das suas
    {
        fb::Transacao tr(c);
        Contribuinte c2 = contribuinte;
        c2.CONTRIBUINTE_ID = 2;
        c2.INSCESTADUAL = "9876543210105";
        c2.RAZAOSOCIAL = "Armazém Central";
        InserirLinhas(tr, std::vector<Contribuinte>{c2});
        tr.commit();
        contribuinte = c2;
    }
    Declaracao limpa = gravada({});
    EXPECT_EQ(consistir(limpa), STATUS_CONSISTENTE);
    EXPECT_EQ(listas.cdsDocumentosErros.size(), 2u);
    EXPECT_EQ(listas.cdsDocumentosErros[1].Contribuinte, "Armazém Central");
    EXPECT_EQ(listas.cdsErros.size(), 2u);

    // A primeira, corrigida e consistida de novo no mesmo lote, fica consistente: os erros
    // da vez anterior continuam na lista, mas não são desta consistência
    d.estoque->INITOTAL = R(100);
    EXPECT_EQ(consistir(d), STATUS_CONSISTENTE);
    EXPECT_EQ(statusGravado(d.doc.DOCUMENTO_ID), 2);
    EXPECT_EQ(listas.errosDe(d.doc.DOCUMENTO_ID).size(), 2u);
    EXPECT_EQ(v(CarregarDeclaracao(c, d.doc.DOCUMENTO_ID).estoque->INITOTAL), R(100));
}

TEST_F(Consistencia, IncluirErroSoComLinhaExataDaTabela) {
    EXPECT_TRUE(IncluirErro(listas, consistencias, 7, "E037"));
    ASSERT_EQ(listas.cdsErros.size(), 1u);
    EXPECT_EQ(listas.cdsErros[0].Documento, 7);
    EXPECT_EQ(listas.cdsErros[0].Erro, "E037");
    EXPECT_EQ(listas.cdsErros[0].Mensagem, "Responsável (cadastro de contribuintes) não foi informado.");
    EXPECT_EQ(listas.cdsErros[0].Dica,
              "Acessar o cadastro do contribuinte e selecionar um responsável pelos documentos.");
    EXPECT_FALSE(IncluirErro(listas, consistencias, 7, "E099"));
    EXPECT_FALSE(IncluirErro(listas, consistencias, 7, "E03"));
    EXPECT_FALSE(IncluirErro(listas, consistencias, 7, "e037"));
    EXPECT_EQ(listas.cdsErros.size(), 1u);

    // Um código que falta na tabela não aparece e não conta para o status
    contribuinte.RESPONSAVEL_ID = 0;
    Declaracao d = gravada({});
    std::vector<LinhaConsistencia> semE037;
    for (const auto& l : consistencias)
        if (l.ERRO != "E037") semE037.push_back(l);
    listas.esvaziar();
    EXPECT_EQ(ConsistirDocumento(d, {c, contribuinte, semE037, cnaef}, listas), STATUS_CONSISTENTE);
    EXPECT_TRUE(listas.cdsErros.empty());
    EXPECT_EQ(consistir(d), STATUS_INCONSISTENTE);
    EXPECT_EQ(codigos(d.doc.DOCUMENTO_ID), (std::vector<std::string>{"E037"}));
}

TEST_F(Consistencia, TransportadorNuncaPassaPelasOutrasEntradasDoTipo1E3) {
    for (int regime : {1, 3}) {
        for (const char* mm : {"N", "S"}) {
            listas.esvaziar();
            Declaracao d = gravada({regime, 0, mm});
            for (Dinheiro outras : {R(0), R(99999999)}) {
                d.kov->OUTRASENTRADAS = outras;
                consistir(d);
                const auto cod = codigos(d.doc.DOCUMENTO_ID);
                for (const char* x : {"E020", "E021", "E022", "E035"}) EXPECT_FALSE(tem(cod, x)) << x << " regime " << regime;
            }
            ExcluirDeclaracao(c, d.doc.DOCUMENTO_ID);
        }
    }
}

// Cada código: o caso que o dispara e o limite com valores iguais, que não dispara.
struct CasoCodigo {
    const char* codigo;
    Cabecalho cabecalho;
    std::function<void(Declaracao&, int municipio)> dispara, limite;
};

// Como a gravação do editor deixa a declaração: subtotais, totais de entradas e saídas e KOV
// refeitos depois do que o caso mudou.
void coerente(Declaracao& d) {
    subtotais(d);
    if (RegimeCompleto(d.doc)) TotalizarEntradasSaidas(d);
    CalcularKOV(d);
}

// Linha de detalhamento por tipo de operação acrescentada a uma declaração que não a tem
// (nos regimes simplificados a gravação as apaga), com o valor contábil de compra e venda.
void acrescentarLinha(Declaracao& d, int tipo, Dinheiro vc) {
    DetalhamentoES l;
    l.TIPOOPERACAO_ID = tipo;
    ZerarCampos(l);
    l.VCCOMPRAVENDA = vc;
    TotaisAntesDeGravar(l);
    d.detalhamentoES.push_back(l);
}

TEST_F(Consistencia, CadaCodigoDisparaENaoDisparaNoLimite) {
    using D = Declaracao;
    auto det2 = [](D& d, int tipo, Quantia DetalhamentoES::*col, Dinheiro x) {
        det(d, tipo).*col = x;
        subtotais(d);
    };
    const Cabecalho completo{1, 1};
    const Cabecalho simples5{5, 1, "N", "N", 1};
    const Cabecalho regime3{3, 1};
    // GI de entradas de 100,00, as entradas de outros estados e, quando dada, a linha de
    // detalhamento das entradas de outros estados
    auto giDeEntrada = [](int64_t vcOutros, std::optional<int64_t> linhaTipo2 = std::nullopt) {
        return [=](D& d, int) {
            GIEntrada g;
            g.UF_ID = "SP";
            g.VALORCONTABIL = R(10000);
            d.giEntrada.push_back(g);
            d.entrada->VCOUTROS = R(vcOutros);
            if (linhaTipo2) acrescentarLinha(d, 2, R(*linhaTipo2));
        };
    };
    auto outrasComMudanca = [](int64_t outras) {
        return [outras](D& d, int m) {
            d.entrada->PRODUTOSAGROP = R(1000);
            d.detalhamentoEntrada.push_back(municipioDe(m, R(500), "S"));
            d.kov->OUTRASENTRADAS = R(outras);
        };
    };
    auto saidasSimples = [](int64_t saidas) {
        return [saidas](D& d, int) {
            d.saida->VCTOTALSIMPLES = R(10000);
            d.saida->TRANSPORTETOMADO = R(500);
            d.kov->SAIDAS = R(saidas);
        };
    };
    const std::vector<CasoCodigo> casos = {
        {"E001", completo, [&](D& d, int) { det2(d, 2, &DetalhamentoES::VCCOMPRAVENDA, R(10000)); },
         [&](D& d, int) {
             det2(d, 2, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
             GIEntrada g;
             g.UF_ID = "SP";
             g.VALORCONTABIL = R(10000);
             d.giEntrada.push_back(g);
         }},
        {"E002", completo,
         [&](D& d, int) {
             det2(d, 2, &DetalhamentoES::BCCOMPRAVENDA, R(10000));
             GIEntrada g;
             g.UF_ID = "SP";
             g.BASECALCULO = R(9999);
             d.giEntrada.push_back(g);
         },
         [&](D& d, int) {
             det2(d, 2, &DetalhamentoES::BCCOMPRAVENDA, R(10000));
             GIEntrada g;
             g.UF_ID = "SP";
             g.BASECALCULO = R(10000);
             d.giEntrada.push_back(g);
         }},
        {"E003", completo, [&](D& d, int) { det2(d, 5, &DetalhamentoES::VCCOMPRAVENDA, R(10000)); },
         [&](D& d, int) {
             det2(d, 5, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
             GISaidas g;
             g.UF_ID = "SP";
             g.VALORCONTABILCONT = R(6000);
             g.VALORCONTABILNAOCONT = R(4000);
             d.giSaidas.push_back(g);
         }},
        {"E004", completo, [&](D& d, int) { det2(d, 5, &DetalhamentoES::BCCOMPRAVENDA, R(10000)); },
         [&](D& d, int) {
             det2(d, 5, &DetalhamentoES::BCCOMPRAVENDA, R(10000));
             GISaidas g;
             g.UF_ID = "SP";
             g.BASECALCULOCONT = R(10000);
             d.giSaidas.push_back(g);
         }},
        // Sem GI: o valor de outros estados arredondado para inteiro (meio-para-par) > 0
        {"E005", simples5, [](D& d, int) { d.entrada->VCOUTROS = R(60); },
         [](D& d, int) { d.entrada->VCOUTROS = R(40); }},
        {"E005", simples5, [](D& d, int) { d.entrada->VCOUTROS = R(150); },
         [](D& d, int) { d.entrada->VCOUTROS = R(50); }},
        // Com GI: o total da GI diferente das entradas de outros estados
        {"E005", simples5, giDeEntrada(9999), giDeEntrada(10000)},
        // Com GI diferente das entradas de outros estados, mas igual ao valor contábil da
        // linha de detalhamento das entradas de outros estados: não dispara
        {"E005", simples5, giDeEntrada(9999, 9999), giDeEntrada(9999, 10000)},
        // Apuração presumida não passa pelo E005
        {"E005", simples5, [](D& d, int) { d.entrada->VCOUTROS = R(60); },
         [](D& d, int) {
             d.doc.TIPORECOLHIMENTO_ID = 2;
             d.entrada->VCOUTROS = R(60);
         }},
        {"E006", simples5, [](D& d, int) { d.saida->VCOUTROS = R(60); }, [](D& d, int) { d.saida->VCOUTROS = R(40); }},
        {"E006", simples5,
         [](D& d, int) {
             GISaidas g;
             g.UF_ID = "SP";
             g.VALORCONTABILCONT = R(10000);
             d.giSaidas.push_back(g);
             d.saida->VCOUTROS = R(10001);
         },
         [](D& d, int) {
             GISaidas g;
             g.UF_ID = "SP";
             g.VALORCONTABILCONT = R(10000);
             d.giSaidas.push_back(g);
             d.saida->VCOUTROS = R(10000);
         }},
        {"E007", regime3,
         [](D& d, int) {
             d.entrada->VCESTADO = R(10000);
             d.entrada->PRODUTOSAGROP = R(10001);
         },
         [](D& d, int) {
             d.entrada->VCESTADO = R(10000);
             d.entrada->PRODUTOSAGROP = R(10000);
         }},
        {"E008", {1, 1, "N", "N", 0, "S"},
         [](D& d, int) {
             d.resultado->IMPOSTO = R(1);
             subtotais(d);
         },
         [](D& d, int) {
             d.resultado->RECEITABRUTA = R(1);
             d.resultado->IMPOSTO = R(1);
             subtotais(d);
         }},
        {"E009", completo,
         [&](D& d, int) {
             det2(d, 1, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
             d.entrada->PRODUTOSAGROP = R(10001);
         },
         [&](D& d, int) {
             det2(d, 1, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
             d.entrada->PRODUTOSAGROP = R(10000);
         }},
        {"E010", simples5,
         [](D& d, int) {
             d.saida->VCTOTALSIMPLES = R(10000);
             d.saida->VCESTADO = R(5000);
             d.saida->VCOUTROS = R(4999);
         },
         [](D& d, int) {
             d.saida->VCTOTALSIMPLES = R(10000);
             d.saida->VCESTADO = R(5000);
             d.saida->VCOUTROS = R(4000);
             d.saida->VCEXTERIOR = R(1000);
         }},
        // Nem a apuração presumida
        {"E010", simples5, [](D& d, int) { d.saida->VCTOTALSIMPLES = R(10000); },
         [](D& d, int) {
             d.doc.TIPORECOLHIMENTO_ID = 2;
             d.saida->VCTOTALSIMPLES = R(10000);
         }},
        // O regime 3 não passa pelo E010
        {"E010", simples5, [](D& d, int) { d.saida->VCTOTALSIMPLES = R(10000); },
         [](D& d, int) {
             d.doc.REGIME_ID = 3;
             d.doc.TIPORECOLHIMENTO_ID = 0;
             d.saida->VCTOTALSIMPLES = R(10000);
         }},
        {"E011", regime3,
         [](D& d, int) {
             d.entrada->VCTOTALSIMPLES = R(10000);
             d.entrada->VCESTADO = R(9999);
             d.entrada->PRODUTOSAGROP = R(0);
         },
         [](D& d, int) {
             d.entrada->VCTOTALSIMPLES = R(10000);
             d.entrada->VCESTADO = R(9000);
             d.entrada->VCEXTERIOR = R(1000);
         }},
        {"E012", {1, 0},
         [&](D& d, int) {
             d.exclusoes->ENTSUBCONTRATACAOTRANSPORTE = R(6000);
             d.exclusoes->SAITRANPORTESINICIADOOUTRA = R(4000);
             det2(d, 6, &DetalhamentoES::VCTRANSPORTE, R(9999));
         },
         [&](D& d, int) {
             d.exclusoes->ENTSUBCONTRATACAOTRANSPORTE = R(6000);
             d.exclusoes->SAITRANPORTESINICIADOOUTRA = R(4000);
             det(d, 4).VCTRANSPORTE = R(5000);
             det2(d, 5, &DetalhamentoES::VCTRANSPORTE, R(5000));
         }},
        {"E013", completo,
         [&](D& d, int) {
             d.exclusoes->SAIOUTRAS = R(10000);
             det2(d, 4, &DetalhamentoES::VCCOMPRAVENDA, R(9999));
         },
         [&](D& d, int) {
             d.exclusoes->SAIOUTRAS = R(10000);
             det2(d, 4, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
         }},
        {"E014", completo,
         [&](D& d, int) {
             d.exclusoes->ENTOUTRAS = R(10000);
             d.entrada->PRODUTOSAGROP = R(5001);
             det2(d, 1, &DetalhamentoES::VCCOMPRAVENDA, R(15000));
         },
         [&](D& d, int) {
             d.exclusoes->ENTOUTRAS = R(10000);
             d.entrada->PRODUTOSAGROP = R(5000);
             det2(d, 1, &DetalhamentoES::VCCOMPRAVENDA, R(15000));
         }},
        {"E015", regime3,
         [](D& d, int) {
             d.exclusoes->SAIOUTRAS = R(10000);
             subtotais(d);
             d.saida->VCTOTALSIMPLES = R(9999);
         },
         [](D& d, int) {
             d.exclusoes->SAIOUTRAS = R(10000);
             subtotais(d);
             d.saida->VCTOTALSIMPLES = R(10000);
         }},
        {"E016", regime3,
         [](D& d, int) {
             d.exclusoes->ENTOUTRAS = R(10000);
             subtotais(d);
             d.entrada->VCTOTALSIMPLES = R(15000);
             d.entrada->PRODUTOSAGROP = R(5001);
         },
         [](D& d, int) {
             d.exclusoes->ENTOUTRAS = R(10000);
             subtotais(d);
             d.entrada->VCTOTALSIMPLES = R(15000);
             d.entrada->PRODUTOSAGROP = R(5000);
         }},
        {"E017", {3, 0},
         [](D& d, int) {
             d.exclusoes->ENTSUBCONTRATACAOTRANSPORTE = R(6000);
             d.exclusoes->SAITRANPORTESINICIADOOUTRA = R(4000);
             subtotais(d);
             d.saida->VCTOTALSIMPLES = R(9999);
         },
         [](D& d, int) {
             d.exclusoes->ENTSUBCONTRATACAOTRANSPORTE = R(6000);
             d.exclusoes->SAITRANPORTESINICIADOOUTRA = R(4000);
             subtotais(d);
             d.saida->VCTOTALSIMPLES = R(10000);
         }},
        {"E018", {1, 1, "S"},
         [&](D& d, int) {
             det2(d, 4, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
             d.saida->TRANSPORTETOMADO = R(500);
             d.kov->SAIDAS = R(10501);
         },
         [&](D& d, int) {
             det2(d, 4, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
             d.saida->TRANSPORTETOMADO = R(500);
             d.kov->SAIDAS = R(10500);
         }},
        {"E019", {1, 1, "S"},
         [&](D& d, int) {
             det2(d, 1, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
             d.entrada->PRODUTOSAGROP = R(1000);
             d.kov->ENTRADAS = R(9001);
         },
         [&](D& d, int) {
             det2(d, 1, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
             d.entrada->PRODUTOSAGROP = R(1000);
             d.kov->ENTRADAS = R(9000);
         }},
        // P + mudança de município = 15,00: o tipo 3 não passa dele; o tipo 1 não fica abaixo
        {"E020", {1, 3, "S"}, outrasComMudanca(1501), outrasComMudanca(1500)},
        {"E021", completo,
         [](D& d, int) {
             d.saida->COOPERATIVA = R(1000);
             d.kov->OUTRASENTRADAS = R(999);
         },
         [](D& d, int) {
             d.saida->COOPERATIVA = R(1000);
             d.kov->OUTRASENTRADAS = R(1000);
         }},
        {"E021", {1, 1, "S"}, outrasComMudanca(1499), outrasComMudanca(1500)},
        // Tipo 3 nunca recebe o E021, mesmo abaixo de P
        {"E021", completo, [](D& d, int) { d.saida->COOPERATIVA = R(1000); },
         [](D& d, int) {
             d.doc.TIPOCONTRIBUINTE_ID = 3;
             d.saida->COOPERATIVA = R(1000);
         }},
        {"E035", regime3,
         [](D& d, int) {
             d.entrada->PRODUTOSAGROP = R(1000);
             d.kov->OUTRASENTRADAS = R(999);
         },
         [](D& d, int) {
             d.entrada->PRODUTOSAGROP = R(1000);
             d.kov->OUTRASENTRADAS = R(1000);
         }},
        {"E035", {3, 1, "S"}, outrasComMudanca(1499), outrasComMudanca(1500)},
        {"E022", regime3, [](D& d, int) { d.kov->OUTRASENTRADAS = R(0); },
         [](D& d, int) { d.kov->OUTRASENTRADAS = R(1); }},
        // Saídas do KOV acima de 100,00 + 5,00 de transporte tomado, contribuinte de tipo 1 ou 3
        {"E023", {3, 1, "S"}, saidasSimples(10501), saidasSimples(10500)},
        {"E023", {3, 3, "S"}, saidasSimples(10501), saidasSimples(10500)},
        {"E024", {3, 3, "S"},
         [](D& d, int) {
             d.entrada->VCTOTALSIMPLES = R(10000);
             d.entrada->PRODUTOSAGROP = R(500);
             d.kov->ENTRADAS = R(10501);
         },
         [](D& d, int) {
             d.entrada->VCTOTALSIMPLES = R(10000);
             d.entrada->PRODUTOSAGROP = R(500);
             d.kov->ENTRADAS = R(10500);
         }},
        {"E025", completo, [](D& d, int) { d.kov->OUTRASENTRADAS = R(1); },
         [](D& d, int) { d.kov->OUTRASENTRADAS = R(0); }},
        {"E025", completo,
         [](D& d, int m) {
             d.detalhamentoEntrada.push_back(municipioDe(m, R(1000), "N"));
             d.kov->OUTRASENTRADAS = R(999);
         },
         [](D& d, int m) {
             d.detalhamentoEntrada.push_back(municipioDe(m, R(1000), "N"));
             d.kov->OUTRASENTRADAS = R(1000);
         }},
        {"E032", completo,
         [&](D& d, int) {
             det2(d, 4, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
             d.saida->COOPERATIVA = R(10001);
         },
         [&](D& d, int) {
             det2(d, 4, &DetalhamentoES::VCCOMPRAVENDA, R(10000));
             d.saida->COOPERATIVA = R(10000);
         }},
        {"E033", completo, [](D& d, int) { d.entrada->AJUSTETRANSFERENCIA = R(1); },
         [&](D& d, int) {
             d.entrada->AJUSTETRANSFERENCIA = R(1);
             det2(d, 1, &DetalhamentoES::VCTRANSFERENCIA, R(1));
         }},
        {"E033", completo, [](D& d, int) { d.entrada->AJUSTETRANSFERENCIA = R(1); },
         [&](D& d, int) {
             d.entrada->AJUSTETRANSFERENCIA = R(1);
             det2(d, 2, &DetalhamentoES::VCTRANSFERENCIA, R(1));
         }},
        {"E034", completo, [](D& d, int) { d.saida->AJUSTETRANSFERENCIA = R(1); },
         [&](D& d, int) {
             d.saida->AJUSTETRANSFERENCIA = R(1);
             det2(d, 5, &DetalhamentoES::VCTRANSFERENCIA, R(1));
         }},
        {"E034", completo, [](D& d, int) { d.saida->AJUSTETRANSFERENCIA = R(1); },
         [&](D& d, int) {
             d.saida->AJUSTETRANSFERENCIA = R(1);
             det2(d, 4, &DetalhamentoES::VCTRANSFERENCIA, R(1));
         }},
        {"E036", {1, 1, "S"}, [](D& d, int m) { d.detalhamentoEntrada.push_back(municipioDe(m, R(0), "N")); },
         [](D& d, int m) { d.detalhamentoEntrada.push_back(municipioDe(m, R(0), "S")); }},
    };
    // Códigos cujos casos, com a declaração deixada coerente como a gravação do editor a deixa,
    // produzem só o seu código: nenhum outro, nem "00"
    const std::set<std::string> exclusivos = {"E001", "E003", "E008", "E012", "E013", "E022",
                                              "E025", "E033", "E034", "E036"};
    auto rodar = [&](const CasoCodigo& caso, bool dispara) {
        Declaracao d = gravada(caso.cabecalho);
        (dispara ? caso.dispara : caso.limite)(d, municipio);
        if (exclusivos.count(caso.codigo)) coerente(d);
        listas.esvaziar();
        consistir(d);
        const auto cod = codigos(d.doc.DOCUMENTO_ID);
        ExcluirDeclaracao(c, d.doc.DOCUMENTO_ID);
        return cod;
    };
    for (size_t i = 0; i < casos.size(); ++i) {
        const auto disparados = rodar(casos[i], true);
        if (exclusivos.count(casos[i].codigo))
            EXPECT_EQ(disparados, std::vector<std::string>{casos[i].codigo}) << "caso " << i << ": só o seu código";
        else
            EXPECT_TRUE(tem(disparados, casos[i].codigo)) << casos[i].codigo << " (caso " << i << ") deveria disparar";
        EXPECT_FALSE(tem(rodar(casos[i], false), casos[i].codigo))
            << casos[i].codigo << " (caso " << i << ") não deveria disparar";
    }
}

TEST_F(Consistencia, BaseSemImpostoUmCodigoPorTipoDeOperacao) {
    const char* codigos6[] = {"E026", "E027", "E028", "E029", "E030", "E031"};
    for (int tipo = 1; tipo <= 6; ++tipo) {
        Declaracao d = gravada({});
        det(d, tipo).VCDEVOLUCAO = R(20000);
        det(d, tipo).BCDEVOLUCAO = R(10000);
        det(d, tipo).BCOUTRAS = R(10000);  // duas categorias sem imposto: o código sai uma vez
        subtotais(d);
        listas.esvaziar();
        consistir(d);
        auto cod = codigos(d.doc.DOCUMENTO_ID);
        EXPECT_EQ(std::count(cod.begin(), cod.end(), codigos6[tipo - 1]), 1) << tipo;
        for (int outro = 1; outro <= 6; ++outro) {
            if (outro != tipo) {
                EXPECT_FALSE(tem(cod, codigos6[outro - 1])) << tipo << " " << outro;
            }
        }
        // Com imposto nas duas categorias, nada
        det(d, tipo).ICMSDEVOLUCAO = R(1);
        det(d, tipo).ICMSOUTRAS = R(1);
        subtotais(d);
        listas.esvaziar();
        consistir(d);
        EXPECT_FALSE(tem(codigos(d.doc.DOCUMENTO_ID), codigos6[tipo - 1])) << tipo;
        ExcluirDeclaracao(c, d.doc.DOCUMENTO_ID);
    }
}

TEST_F(Consistencia, ResponsavelCNAEFEConflitoDePeriodo) {
    // E037: responsável "Não atribuído" (0) e responsável nulo
    Declaracao d = gravada({1, 1, "N", "N", 0, "N", 1, 6});
    for (std::optional<int> r : {std::optional<int>(0), std::optional<int>()}) {
        Contribuinte semResp = contribuinte;
        semResp.RESPONSAVEL_ID = r;
        listas.esvaziar();
        ConsistirDocumento(d, {c, semResp, consistencias, cnaef}, listas);
        EXPECT_EQ(codigos(d.doc.DOCUMENTO_ID), (std::vector<std::string>{"E037"}));
    }
    listas.esvaziar();
    EXPECT_EQ(consistir(d), STATUS_CONSISTENTE);

    // E038: código ou desmembramento do contribuinte que não vale no ano base. A consistência
    // grava a declaração, e toda gravação copia o CNAE-F do contribuinte: o que vale é o do
    // cadastro, e corrigido nele o E038 some já na consistência seguinte
    const Contribuinte valido = contribuinte;
    for (auto [cnaef, desmembramento] : {std::pair{"0111201", "00"}, std::pair{"4711301", "01"}}) {
        contribuinte.CNAEF_ID = cnaef;
        contribuinte.DESMEMBRAMENTO = desmembramento;
        listas.esvaziar();
        EXPECT_EQ(consistir(d), STATUS_INCONSISTENTE);
        EXPECT_EQ(codigos(d.doc.DOCUMENTO_ID), (std::vector<std::string>{"E038"})) << cnaef << "-" << desmembramento;
        const Declaracao lida = CarregarDeclaracao(c, d.doc.DOCUMENTO_ID);
        EXPECT_EQ(lida.doc.CNAEF_ID, cnaef);
        EXPECT_EQ(lida.doc.DESMEMBRAMENTO, desmembramento);
    }
    contribuinte = valido;
    Declaracao velha = CarregarDeclaracao(c, d.doc.DOCUMENTO_ID);  // ainda com o código inválido
    listas.esvaziar();
    EXPECT_EQ(consistir(velha), STATUS_CONSISTENTE);
    EXPECT_EQ(statusGravado(d.doc.DOCUMENTO_ID), 2);
    EXPECT_EQ(CarregarDeclaracao(c, d.doc.DOCUMENTO_ID).doc.CNAEF_ID, "4711301");
    d = velha;  // a cópia gravada por último; a anterior seria recusada como desatualizada

    // E039: outra declaração gravada com meses que se cruzam; meses vizinhos não conflitam
    Declaracao vizinha = gravada({1, 1, "N", "N", 0, "N", 7, 12});
    listas.esvaziar();
    EXPECT_EQ(consistir(d), STATUS_CONSISTENTE);
    vizinha.doc.MESINICIAL = 6;
    GravarDeclaracao(c, vizinha);
    listas.esvaziar();
    EXPECT_EQ(consistir(d), STATUS_INCONSISTENTE);
    EXPECT_EQ(codigos(d.doc.DOCUMENTO_ID), (std::vector<std::string>{"E039"}));
    EXPECT_EQ(listas.cdsErros[0].Mensagem, "Existe um conflito de períodos na declaração.");
    // A outra marcada como mudança de município no ano corrente não conflita
    vizinha.doc.MUDANCAMUNICIPIOANOCORRENTE = "S";
    GravarDeclaracao(c, vizinha);
    listas.esvaziar();
    EXPECT_EQ(consistir(d), STATUS_CONSISTENTE);
}

// A conferência do KOV nos regimes simplificados, só em memória: caso D pelos livros com os
// totais simplificados (entradas conferidas antes das saídas), caso E com as entradas
// presumidas de 20 % das saídas gravadas (saídas antes).
TEST(VerificarTotais, KOVDosCasosDEE) {
    auto montar = [](int tipoContribuinte) {
        Declaracao d;
        d.doc.DOCUMENTO_ID = 1;
        d.doc.REGIME_ID = 5;
        d.doc.TIPOCONTRIBUINTE_ID = tipoContribuinte;
        d.doc.MUDANCAMUNICIPIOANOCORRENTE = "N";
        CriarSecoesQueFaltam(d);
        Entrada& e = *d.entrada;
        Saida& s = *d.saida;
        e.VCTOTAL = s.VCTOTAL = R(9999999);  // os totais de débito/crédito não entram nesses casos
        e.VCTOTALSIMPLES = R(1000000);
        s.VCTOTALSIMPLES = R(2000000);
        e.AJUSTETRANSFERENCIA = R(10000);
        e.AUTUACAODENUNCIA = R(5000);
        s.AUTUACAODENUNCIA = R(2750);
        e.PRODUTOSAGROP = R(30000);
        s.TRANSPORTETOMADO = R(40000);
        d.exclusoes->ENTIPI = R(20000);
        d.exclusoes->SAIIPI = R(12500);
        TotaisAntesDeGravar(*d.exclusoes);
        return d;
    };
    auto conferir = [](Declaracao d, int64_t saidas, int64_t entradas, std::optional<int64_t> outras) {
        d.kov->SAIDAS = R(saidas);
        d.kov->ENTRADAS = R(entradas);
        // o transportador fecha o KOV nas outras entradas; os outros tipos as digitam
        d.kov->OUTRASENTRADAS = outras ? R(*outras) : R(saidas - entradas);
        TotaisAntesDeGravar(*d.kov);
        ListasConsistencia listas;
        VerificarTotais(d, listas);
        std::vector<std::string> m;
        for (const auto& e : listas.cdsErros) m.push_back(e.Mensagem);
        return m;
    };
    using M = std::vector<std::string>;
    const std::string ent = "Erro nas Entradas do KOV", sai = "Erro nas Saídas do KOV",
                      outras = "Erro nas Outras Entradas do KOV";

    // D: entradas 10.000 + 100 + 50 − 300 − 200 = 9.650; saídas 20.000 + 400 + 27,50 − 125 = 20.302,50
    const Declaracao d = montar(1);
    EXPECT_EQ(conferir(d, 2030250, 965000, 0), M{});
    EXPECT_EQ(conferir(d, 2030250, 965001, 0), M{ent});
    EXPECT_EQ(conferir(d, 2030249, 965000, 0), M{sai});
    EXPECT_EQ(conferir(d, 2030249, 965001, 0), (M{ent, sai}));

    // E: saídas 20.000 + 27,50 + 300 − (200 + 125) = 20.002,50; entradas r0((20.002,50 − 300)
    // × 0,2) = r0(3.940,50) = 3.940 (meio para par); outras entradas = saídas − entradas
    const Declaracao e = montar(0);
    EXPECT_EQ(conferir(e, 2000250, 394000, std::nullopt), M{});
    EXPECT_EQ(conferir(e, 2000250, 394100, std::nullopt), M{ent});
    EXPECT_EQ(conferir(e, 2000250, 394000, 1606251), M{outras});
    // Saídas gravadas erradas: as entradas esperadas saem delas (20.000 → 3.940), e não da fórmula
    EXPECT_EQ(conferir(e, 2000000, 394000, std::nullopt), M{sai});
    EXPECT_EQ(conferir(e, 2000000, 394100, std::nullopt), (M{sai, ent}));
}

// Cada linha da tabela que acompanha a base leva a um lugar: o editor numa página conhecida,
// uma das seis telas de detalhamento, ou nenhum lugar só quando FORMULARIO é 0.
TEST_F(Consistencia, CadaCodigoDaTabelaLevaAUmLugar) {
    for (const LinhaConsistencia& l : consistencias) {
        SCOPED_TRACE(l.ERRO);
        const DestinoCorrecao d = DestinoDaCorrecao(l.ERRO, consistencias);
        if (l.FORMULARIO == "0") {
            EXPECT_EQ(d.forma, FormaCorrecao::Nenhuma);
        } else if (l.FORMULARIO == "1") {
            EXPECT_EQ(d.forma, FormaCorrecao::Editor);
            EXPECT_NE(d.pagina, PaginaCorrecao::Nenhuma);
            // Toda linha do editor diz a aba (ou a pergunta da mudança de município)
            const std::string onde = OndeCorrigir(d);
            EXPECT_TRUE(onde.find(", aba \"") != std::string::npos || onde.find("Mudou de município") != std::string::npos)
                << onde;
        } else {
            EXPECT_EQ(d.forma, FormaCorrecao::Detalhamento);
            EXPECT_GE(d.tipoOperacao, 1);
            EXPECT_LE(d.tipoOperacao, 6);
        }
    }
    struct Caso {
        const char* erro;
        FormaCorrecao forma;
        PaginaCorrecao pagina;
        const char* aba;
        int tipo;
        const char* onde;
    };
    const Caso casos[] = {
        {"E003", FormaCorrecao::Editor, PaginaCorrecao::GI, "SAIDAS", 0,
         "Editor da declaração, página \"GI\", aba \"Saidas\", campo \"Valor Contábil Contribuinte\""},
        {"E031", FormaCorrecao::Detalhamento, PaginaCorrecao::Nenhuma, "SAIDAS_EXTERIOR", 6,
         "Tela \"Saidas para o Exterior\""},
        {"E009", FormaCorrecao::Detalhamento, PaginaCorrecao::Nenhuma, "ENTRADAS_ESTADO", 1,
         "Tela \"Entradas do Estado\""},
        {"E036", FormaCorrecao::Editor, PaginaCorrecao::Documento, "MUDANCAMUNICIPIO", 0,
         "Editor da declaração, página \"Documento\", \"Mudou de município\""},
        {"E008", FormaCorrecao::Editor, PaginaCorrecao::Prelo, "DEBCRED_DRO", 0,
         "Editor da declaração, página \"PRELO\", aba \"DRO - Despesas Operacionais\", campo \"Receita Bruta\""},
        {"E012", FormaCorrecao::Editor, PaginaCorrecao::KOV, "EXCLUSOES", 0,
         "Editor da declaração, página \"KOV\", aba \"Exclusões KOV\""},
        {"00", FormaCorrecao::Editor, PaginaCorrecao::Nenhuma, "", 0, "Editor da declaração"},
        {"E037", FormaCorrecao::Nenhuma, PaginaCorrecao::Nenhuma, "00", 0,
         "Não se corrige pela lista de consistências; veja a dica"},
        {"E099", FormaCorrecao::Nenhuma, PaginaCorrecao::Nenhuma, "", 0,
         "Não se corrige pela lista de consistências; veja a dica"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.erro);
        const DestinoCorrecao d = DestinoDaCorrecao(c.erro, consistencias);
        EXPECT_EQ(d.forma, c.forma);
        EXPECT_EQ(d.pagina, c.pagina);
        if (c.aba) {
            EXPECT_EQ(d.aba, c.aba);
        }
        EXPECT_EQ(d.tipoOperacao, c.tipo);
        EXPECT_EQ(OndeCorrigir(d), c.onde);
    }
    // Tela de detalhamento com ABA desconhecida: nada abre
    std::vector<LinhaConsistencia> t{{"E900", "PRELO", "OUTRA", "", "", "", "2"}};
    EXPECT_EQ(DestinoDaCorrecao("E900", t).forma, FormaCorrecao::Nenhuma);
}
