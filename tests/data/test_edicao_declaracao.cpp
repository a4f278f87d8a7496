// A declaração como conjunto das telas: postar na memória, continuar a alteração do que foi
// postado, aplicar com a gravação da declaração e descartar; as seções presas ao agregado
// em edição; e as regras da página do cabeçalho.
#include <gtest/gtest.h>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/Cadastros.h"
#include "data/Consistencia.h"
#include "data/EdicaoDeclaracao.h"
#include "data/LinhasBanco.h"
#include "data/RegrasCabecalho.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

using namespace kov;

namespace {

std::vector<int> ids(const std::vector<LinhaRegime>& v) {
    std::vector<int> r;
    for (const auto& l : v) r.push_back(l.REGIME_ID);
    return r;
}

}  // namespace

TEST(RegrasCabecalho, RegimesGruposApuracaoEVisibilidade) {
    std::vector<LinhaRegime> todos;
    for (int i = 1; i <= 6; ++i) todos.push_back({i, i, "R" + std::to_string(i), {}});
    EXPECT_EQ(ids(RegimesDoAnoBase(todos, 2005)), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ids(RegimesDoAnoBase(todos, 1)), (std::vector<int>{1, 2, 3, 4, 5, 6}));  // ano que não é número
    EXPECT_EQ(ids(RegimesDoAnoBase(todos, 2006)), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ids(RegimesDoAnoBase(todos, 2007)), (std::vector<int>{1, 2}));
    EXPECT_EQ(ids(RegimesDoAnoBase(todos, 2008)), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(ids(RegimesDoAnoBase(todos, 2010)), (std::vector<int>{1, 2}));

    struct {
        std::optional<int> de, para;
        bool apaga;
    } trocas[] = {{1, 3, true}, {3, 1, true}, {4, 6, true}, {1, 2, false}, {5, 6, false},
                  {std::nullopt, 3, false}, {1, 7, false}, {1, 1, false}};
    for (const auto& t : trocas)
        EXPECT_EQ(TrocaDeRegimeApagaFiguras(t.de, t.para), t.apaga) << t.de.value_or(0) << "->" << t.para.value_or(0);

    struct {
        std::optional<int> regime, recolhimento;
        bool habilitada;
        std::optional<int> escolha;
        bool escrever;
    } apuracoes[] = {{1, 2, false, std::nullopt, false}, {4, 0, false, std::nullopt, false},
                     {5, 0, true, 2, true},              {6, 1, true, 1, false},
                     {std::nullopt, std::nullopt, true, 2, true}};
    for (const auto& a : apuracoes) {
        const EstadoApuracao e = ApuracaoDoRegime(a.regime, a.recolhimento);
        EXPECT_EQ(e.habilitada, a.habilitada) << a.regime.value_or(0);
        EXPECT_EQ(e.escolha, a.escolha) << a.regime.value_or(0);
        EXPECT_EQ(e.escrever, a.escrever) << a.regime.value_or(0);
    }

    EXPECT_TRUE(BaixaVisivel(2026, 2026));
    EXPECT_FALSE(BaixaVisivel(2025, 2026));
    EXPECT_TRUE(MudancaMunicipioVisivel(1, 2025, 2026));
    EXPECT_FALSE(MudancaMunicipioVisivel(0, 2025, 2026));  // transportador nunca
    EXPECT_FALSE(MudancaMunicipioVisivel(1, 2026, 2026));
    EXPECT_EQ(AnosDeReferencia(2026, 2026), (std::vector<int>{2026, 2025}));
    EXPECT_EQ(AnosDeReferencia(2025, 2026), (std::vector<int>{2026, 2025}));
    EXPECT_EQ(AnosDeReferencia(2023, 2026), (std::vector<int>{2023}));  // três anos antes: só o seu
}

TEST(RegrasCabecalho, RecusasDaGravacaoEMeses) {
    Documento doc;
    doc.BAIXA = "N";
    doc.TIPOCONTRIBUINTE_ID = 0;
    EXPECT_NE(InconsistenciaAnoCorrente(doc, 2026, 2026).find("\"mudança de município no ano corrente\" ou"),
              std::string::npos);
    doc.TIPOCONTRIBUINTE_ID = 1;
    EXPECT_EQ(InconsistenciaAnoCorrente(doc, 2026, 2026),
              "Quando o ano exercício é igual ao ano corrente obrigatoriamente o registro \r\nprecisa ser uma "
              "\"baixa referente ao ano corrente\"");
    EXPECT_EQ(InconsistenciaAnoCorrente(doc, 2025, 2026), "");
    doc.BAIXA = "S";
    EXPECT_EQ(InconsistenciaAnoCorrente(doc, 2026, 2026), "");

    EXPECT_EQ(ConferirMesInicial(7, 6), "Mês Inicial maior que Mês Final.");
    EXPECT_EQ(ConferirMesInicial(6, 6), "");
    EXPECT_EQ(ConferirMesInicial(7, std::nullopt), "");
    EXPECT_EQ(ConferirMesFinal(5, 6), "Mês Final menor que Mês Inicial.");
    EXPECT_EQ(ConferirMesFinal(6, 6), "");

    // Limite das exclusões: iguais passam, um real a mais não
    Declaracao d;
    EXPECT_FALSE(ExclusoesAcimaDosServicos(d));
    d.saida.emplace();
    ZerarCampos(*d.saida);
    d.saida->VCTOTAL = Dinheiro::deReais(1000);
    d.exclusoes.emplace();
    ZerarCampos(*d.exclusoes);
    d.exclusoes->ENTSUBCONTRATACAOTRANSPORTE = Dinheiro::deReais(600);
    d.exclusoes->SAITRANPORTESINICIADOOUTRA = Dinheiro::deReais(400);
    EXPECT_FALSE(ExclusoesAcimaDosServicos(d));
    d.exclusoes->SAITRANPORTESINICIADOOUTRA = Dinheiro::deReais(401);
    EXPECT_TRUE(ExclusoesAcimaDosServicos(d));

    // A troca de grupo apaga todas as figuras, GI e detalhamento inclusive
    CriarSecoesQueFaltam(d);
    d.giEntrada.push_back(GIEntrada{});
    d.giSaidas.push_back(GISaidas{});
    d.detalhamentoEntrada.push_back(NovaLinhaDetalhamentoEntrada("S"));
    d.detalhamentoEntrada.push_back(NovaLinhaDetalhamentoEntrada("N"));
    EXPECT_TRUE(TemValoresDeMunicipioAnterior(d));
    ApagarValoresDeMunicipioAnterior(d);
    EXPECT_EQ(d.detalhamentoEntrada.size(), 1u);
    EXPECT_FALSE(TemValoresDeMunicipioAnterior(d));
    ApagarFiguras(d);
    EXPECT_FALSE(d.estoque || d.despesas || d.resultado || d.entrada || d.saida || d.kov || d.exclusoes);
    EXPECT_TRUE(d.detalhamentoES.empty() && d.giEntrada.empty() && d.giSaidas.empty() &&
                d.detalhamentoEntrada.empty());
}

namespace {

struct DeclaracaoEmEdicao : ::testing::Test {
    teste::InstalacaoTeste inst;
    teste::InteracaoGravada ui;
    std::unique_ptr<Tdm> dm;
    std::unique_ptr<ConjuntoDeclaracoes> cds;
    Contribuinte ct;

    void SetUp() override {
        inst.escreverIni(teste::iniDaSuite(inst));
        dm = std::make_unique<Tdm>(ui, inst.exe.string());
        dm->DataModuleCreate();
        ASSERT_TRUE(dm->conectado());
        dm->GravarParametro("ANOEXERCICIO", "2016");
        ct = teste::ContribuinteDeTeste(1, municipio(0));
        ct.RESPONSAVEL_ID = 0;
        fb::Transacao tr(dm->MainConnection);
        InserirLinhas(tr, std::vector<Contribuinte>{ct});
        tr.commit();
        cds = std::make_unique<ConjuntoDeclaracoes>(*dm);
        cds->anoCorrente = [] { return 2026; };
    }
    int municipio(size_t i) const { return dm->ref.cdsMunicipio.at(i).CODDRUMUNICIPIO; }
    int contar(const std::string& tabela) {
        auto tr = fb::Transacao::leitura(dm->MainConnection);
        fb::Comando q(tr, "SELECT COUNT(*) FROM " + tabela);
        q.proximo();
        return static_cast<int>(q.coluna(0).inteiro());
    }
    void preencherCabecalho() {
        cds->alterarAgregado([&](Declaracao& d) { EscolherContribuinte(d, ct); });
        cds->definir("REGIME_ID", 1);
        cds->definir("CODDRUMUNICIPIO", municipio(1));
        cds->definir("MESINICIAL", 1);
        cds->definir("MESFINAL", 12);
    }
};

}  // namespace

TEST_F(DeclaracaoEmEdicao, PostadaFicaNaMemoriaAteAplicarEDescartadaSome) {
    cds->abrir();
    EXPECT_TRUE(cds->vazio());
    cds->inserir();
    EXPECT_EQ(cds->valor("PERIODO").inteiro(), 2016);
    EXPECT_EQ(cds->texto("BAIXA"), "N");
    preencherCabecalho();
    EXPECT_EQ(cds->texto("IE_CONTRIBUINTE"), "1234567890107");
    EXPECT_EQ(cds->texto("TITULO_TIPOCONTRIBUINTE"), dm->ref.cdsTipoContribuinte.at(1).TITULO);
    EXPECT_EQ(cds->texto("DESCRICAO_MUNICIPIO"), dm->ref.cdsMunicipio.at(1).DESCRICAO);
    EXPECT_EQ(cds->texto("calcMesFinal"), "Dezembro");
    EXPECT_TRUE(cds->alteracoesPendentes());

    // Postada: volta à lista, pendente, com as seções criadas; a base não mudou
    cds->postar();
    EXPECT_TRUE(cds->navegando());
    ASSERT_EQ(cds->quantidade(), 1);
    EXPECT_EQ(cds->texto(0, "NOME_CONTRIBUINTE"), "Comércio Ação Ltda");
    EXPECT_TRUE(cds->alteracoesPostadas());
    EXPECT_TRUE(cds->alteracoesPendentes());
    ASSERT_NE(cds->agregado(), nullptr);
    EXPECT_TRUE(cds->agregado()->estoque.has_value());
    EXPECT_EQ(contar("DOCUMENTO"), 0);
    try {
        cds->atualizar();
        ADD_FAILURE() << "atualizar com alterações postadas";
    } catch (const ErroSistema& e) {
        EXPECT_EQ(std::string(e.what()), MSG_APLICAR_ANTES);
    }

    // A alteração continua do que foi postado; descartar devolve a lista da base
    cds->editar();
    EXPECT_EQ(cds->valor("MESFINAL").inteiro(), 12);
    cds->definir("MESFINAL", 6);
    cds->descartarAlteracoes();
    EXPECT_TRUE(cds->navegando());
    EXPECT_FALSE(cds->alteracoesPendentes());
    EXPECT_TRUE(cds->vazio());
    EXPECT_EQ(cds->agregado(), nullptr);

    // Postada e aplicada: gravada pela gravação da declaração, com a chave do gerador
    cds->inserir();
    preencherCabecalho();
    cds->postar();
    cds->aplicar();
    EXPECT_FALSE(cds->alteracoesPendentes());
    ASSERT_EQ(cds->quantidade(), 1);
    EXPECT_GT(cds->valor(0, "DOCUMENTO_ID").inteiro(), 0);
    EXPECT_EQ(contar("DOCUMENTO"), 1);
    EXPECT_EQ(contar("DETALHAMENTOES"), 6);
    EXPECT_EQ(contar("ESTOQUE"), 1);

    // Uma aplicação que falha deixa a declaração postada, como estava
    cds->editar();
    cds->definir("MESINICIAL", fb::Valor());
    cds->postar();
    EXPECT_THROW(cds->aplicar(), std::exception);
    EXPECT_TRUE(cds->alteracoesPostadas());
    cds->editar();
    EXPECT_TRUE(cds->valor("MESINICIAL").nulo());
    cds->descartarAlteracoes();
    EXPECT_EQ(cds->valor("MESINICIAL").inteiro(), 1);
}

TEST_F(DeclaracaoEmEdicao, SecoesEDetalhesEscrevemNoAgregadoEmEdicao) {
    cds->abrir();
    ConjuntoSecao<Estoque> estoque("cdsEstoque", *cds, &Declaracao::estoque);
    auto municipios = CriarDetalhamentoEntrada(*dm, *cds);
    estoque.abrir();
    municipios->abrir();
    EXPECT_TRUE(estoque.vazio());
    EXPECT_TRUE(municipios->somenteLeitura());
    municipios->inserir();
    EXPECT_TRUE(municipios->navegando());  // sem a declaração em edição, nada se inclui

    cds->inserir();
    preencherCabecalho();
    EXPECT_TRUE(estoque.navegando());  // a declaração nova ainda não tem a seção
    cds->alterarAgregado([](Declaracao& d) { PrepararDetalhesPrelo(d); });
    ASSERT_TRUE(estoque.editando());
    estoque.definirTexto("INITRIBUTADOS", "1500");
    EXPECT_EQ(cds->agregado()->estoque->INITRIBUTADOS, Dinheiro::deReais(1500));

    // Linhas de municípios anteriores: marcadas pelo marcador do módulo de dados
    dm->MudancaMunicipioPadrao = "S";
    municipios->definirFiltro([](const DetalhamentoEntrada& l) { return l.MUDANCAMUNICIPIO == "S"; });
    municipios->inserir();
    ASSERT_EQ(municipios->estado(), EstadoConjunto::Insercao);
    EXPECT_EQ(municipios->texto("MUDANCAMUNICIPIO"), "S");
    try {
        municipios->gravar();
        ADD_FAILURE() << "linha sem município gravada";
    } catch (const ErroCampo& e) {
        EXPECT_EQ(e.campo, "CODDRUMUNICIPIO");
        EXPECT_EQ(std::string(e.what()), "Id. do Município não informado!");
    }
    EXPECT_TRUE(municipios->editando());
    municipios->definir("CODDRUMUNICIPIO", municipio(2));
    municipios->definirTexto("VALORMUDANCA", "500");
    municipios->gravar();
    ASSERT_EQ(municipios->quantidade(), 1);
    EXPECT_EQ(municipios->texto(0, "DESCRICAO_MUNICIPIO"), dm->ref.cdsMunicipio.at(2).DESCRICAO);
    EXPECT_EQ(municipios->valor(0, "VALOR").dinheiro(), Dinheiro::deReais(500));  // o valor da mudança
    dm->MudancaMunicipioPadrao = "N";
    municipios->definirFiltro({});
    municipios->inserir();
    municipios->definir("CODDRUMUNICIPIO", municipio(3));
    municipios->gravar();
    EXPECT_EQ(municipios->quantidade(), 2);
    EXPECT_EQ(cds->agregado()->detalhamentoEntrada.size(), 2u);
    municipios->definirFiltro([](const DetalhamentoEntrada& l) { return l.MUDANCAMUNICIPIO == "S"; });
    EXPECT_EQ(municipios->quantidade(), 1);

    // Gravada a declaração, as linhas chegam à base; descartada, somem do agregado
    cds->gravar();
    EXPECT_EQ(contar("DETALHAMENTOENTRADA"), 2);
    EXPECT_EQ(municipios->quantidade(), 0);  // fora da edição não há agregado a mostrar
    cds->editar();
    EXPECT_EQ(municipios->quantidade(), 1);
    municipios->excluir();
    EXPECT_EQ(cds->agregado()->detalhamentoEntrada.size(), 1u);
    EXPECT_TRUE(cds->alteracoesPendentes());
    cds->descartarAlteracoes();
    EXPECT_EQ(contar("DETALHAMENTOENTRADA"), 2);
    EXPECT_FALSE(estoque.editando());
}

// Com listas, aplicar grava e consiste numa transação só: a recusa da escrita do status
// desfaz também os valores (a declaração continua postada), e cada gravação substitui os erros
// da declaração nas listas em vez de repeti-los.
TEST_F(DeclaracaoEmEdicao, GravarEConsistirNumaTransacaoSo) {
    ListasConsistencia listas;
    cds->consistirAoGravar(&listas);
    cds->abrir();
    cds->inserir();
    preencherCabecalho();
    cds->postar();
    // A trava é uma linha de tabela: os comandos preparados da conexão guardam os gatilhos
    inst.executarSQL("CREATE EXCEPTION E_STATUS 'status travado pelo teste'");
    inst.executarSQL("CREATE TABLE TRAVA_STATUS (X INTEGER)");
    inst.executarSQL("INSERT INTO TRAVA_STATUS VALUES (1)");
    inst.executarSQL(
        "CREATE TRIGGER DOCUMENTO_STATUS FOR DOCUMENTO BEFORE UPDATE AS BEGIN "
        "IF (NEW.STATUS_ID IS DISTINCT FROM OLD.STATUS_ID AND EXISTS(SELECT 1 FROM TRAVA_STATUS)) "
        "THEN EXCEPTION E_STATUS; END");
    EXPECT_THROW(cds->aplicar(), std::exception);
    EXPECT_EQ(contar("DOCUMENTO"), 0);
    EXPECT_TRUE(cds->alteracoesPostadas());
    EXPECT_TRUE(listas.cdsErros.empty());
    EXPECT_TRUE(listas.cdsDocumentosErros.empty());

    inst.executarSQL("DELETE FROM TRAVA_STATUS");
    for (int vez = 0; vez < 2; ++vez) {
        if (vez == 1) {
            cds->editar();
            cds->definir("MESFINAL", 6);
            cds->postar();
        }
        cds->aplicar();
        const int id = static_cast<int>(cds->valor(0, "DOCUMENTO_ID").inteiro());
        auto tr = fb::Transacao::leitura(dm->MainConnection);
        fb::Comando q(tr, "SELECT STATUS_ID, MESFINAL FROM DOCUMENTO WHERE DOCUMENTO_ID = " + std::to_string(id));
        ASSERT_TRUE(q.proximo());
        EXPECT_EQ(q.coluna(0).inteiro(), STATUS_INCONSISTENTE);  // sem responsável: E037
        EXPECT_EQ(q.coluna(1).inteiro(), vez == 0 ? 12 : 6);
        ASSERT_EQ(listas.cdsDocumentosErros.size(), 1u);
        EXPECT_EQ(std::count_if(listas.cdsErros.begin(), listas.cdsErros.end(),
                                [](const LinhaErro& e) { return e.Erro == "E037"; }),
                  1)
            << "vez " << vez;
    }
}
