// Começo do ano base a partir das declarações do ano anterior, numa base real: o estoque
// inicial vem do final da última declaração, as regras pulam com a sua mensagem e rodar de
// novo não cria nada.
#include <gtest/gtest.h>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/AnoAnterior.h"
#include "data/Cadastros.h"
#include "data/Consistencia.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"

using namespace kov;

namespace {

struct AnoAnterior : ::testing::Test {
    teste::InstalacaoTeste inst;
    teste::InteracaoGravada ui;
    std::unique_ptr<Tdm> dm;
    int municipio = 0;

    void SetUp() override {
        inst.escreverIni(teste::iniDaSuite(inst));
        // O CNAE dos contribuintes deixa de valer no meio de 2016
        inst.executarSQL("UPDATE CNAEF SET DATA_FIM = '2016-06-30' WHERE CNAEF_ID = '4711301' AND DESMEMBRAMENTO = '00'");
        dm = std::make_unique<Tdm>(ui, inst.exe.string());
        dm->DataModuleCreate();
        ASSERT_TRUE(dm->conectado());
        fb::Transacao tr(dm->MainConnection);
        fb::Comando m(tr, "SELECT MIN(CODDRUMUNICIPIO) FROM MUNICIPIO");
        m.proximo();
        municipio = static_cast<int>(m.coluna(0).inteiro());
        Responsavel r;
        r.RESPONSAVEL_ID = 1;
        r.NOME = "Contadora";
        InserirLinhas(tr, std::vector<Responsavel>{r});
        std::vector<Contribuinte> cts;
        for (int i = 1; i <= 4; ++i) {
            Contribuinte c = teste::ContribuinteDeTeste(i, municipio, "Empresa " + std::to_string(i));
            c.INSCESTADUAL = teste::InscricaoValida(i);
            c.RESPONSAVEL_ID = 1;
            cts.push_back(c);
        }
        InserirLinhas(tr, cts);
        tr.commit();
        dm->GravarParametro("ANOEXERCICIO", "2015");
    }

    // Declaração gravada no ano base corrente do parâmetro, com o estoque final dado
    int declarar(int contribuinte, int regime, int mesInicial, int mesFinal, int64_t estoqueFinal) {
        const std::string ano = dm->LerParametro("ANOEXERCICIO");
        const Contribuinte ct = CarregarContribuinte(dm->MainConnection, contribuinte);
        Declaracao d = NovaDeclaracao(ano);
        DefinirContribuinte(d, ct);
        d.doc.REGIME_ID = regime;
        d.doc.TIPOCONTRIBUINTE_ID = ct.TIPOCONTRIBUINTE_ID;
        d.doc.CODDRUMUNICIPIO = municipio;
        d.doc.MESINICIAL = mesInicial;
        d.doc.MESFINAL = mesFinal;
        d.doc.ESCRITACONTABIL = "S";
        Estoque e{};
        ZerarCampos(e);
        e.FIMTRIBUTADOS = Dinheiro::deReais(estoqueFinal);
        e.FIMISENTO = Dinheiro::deReais(7);
        e.INITRIBUTADOS = Dinheiro::deReais(999);
        d.estoque = e;
        SalvarDeclaracao(dm->MainConnection, d, ct, 2026, ano);
        return d.doc.DOCUMENTO_ID;
    }
};

}  // namespace

TEST_F(AnoAnterior, EstoqueDoFimDaUltimaDeclaracaoERegrasQuePulam) {
    declarar(1, 1, 1, 6, 100);
    declarar(1, 1, 7, 12, 500);  // a última: é dela o estoque
    declarar(2, 3, 1, 12, 50);   // regime 3 não existe em 2016
    declarar(3, 2, 1, 12, 80);
    dm->GravarParametro("ANOEXERCICIO", "2016");
    declarar(3, 1, 1, 3, 0);  // já tem declaração em 2016

    const auto candidatos = CandidatosDoAnoAnterior(*dm);
    ASSERT_EQ(candidatos.size(), 2u);
    EXPECT_EQ(candidatos[0].CONTRIBUINTE_ID, 1);
    EXPECT_EQ(candidatos[1].CONTRIBUINTE_ID, 2);

    size_t chamadas = 0;
    const auto r = TrazerDoAnoAnterior(*dm, {1, 2, 3, 4}, [&](size_t feitos, size_t total) {
        EXPECT_EQ(total, 4u);
        EXPECT_EQ(feitos, ++chamadas);
    });
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(chamadas, 4u);

    ASSERT_TRUE(r[0].chave) << r[0].motivo;
    EXPECT_FALSE(r[0].consistente) << "o CNAE do cadastro não vale em 2016: E038, sem troca calada";
    const Declaracao d = CarregarDeclaracao(dm->MainConnection, *r[0].chave);
    EXPECT_EQ(d.doc.PERIODO, 2016);
    EXPECT_EQ(d.doc.MESINICIAL, 1);
    EXPECT_EQ(d.doc.MESFINAL, 12);
    EXPECT_EQ(d.doc.REGIME_ID, 1);
    EXPECT_EQ(d.doc.ESCRITACONTABIL, "S");
    EXPECT_EQ(d.doc.CNAEF_ID, "4711301");
    EXPECT_EQ(d.doc.CODDRUMUNICIPIO, municipio);
    EXPECT_EQ(d.doc.BAIXA, "N");
    ASSERT_TRUE(d.estoque);
    EXPECT_EQ(v(d.estoque->INITRIBUTADOS), Dinheiro::deReais(500));
    EXPECT_EQ(v(d.estoque->INIISENTO), Dinheiro::deReais(7));
    EXPECT_EQ(v(d.estoque->INITOTAL), Dinheiro::deReais(507));
    EXPECT_EQ(v(d.estoque->FIMTRIBUTADOS), Dinheiro{});
    EXPECT_TRUE(d.giEntrada.empty() && d.giSaidas.empty() && d.detalhamentoEntrada.empty());
    ListasConsistencia listas;
    ConsistirDocumento(*dm, *r[0].chave, listas);
    ASSERT_EQ(listas.cdsErros.size(), 1u);
    EXPECT_EQ(listas.cdsErros[0].Erro, "E038");

    EXPECT_FALSE(r[1].chave);
    EXPECT_EQ(r[1].motivo, "O regime 3 - Estimativa Fiscal não é oferecido no ano base 2016.");
    EXPECT_FALSE(r[2].chave);
    EXPECT_TRUE(r[2].jaTinha);
    EXPECT_EQ(r[2].motivo, "Já tem declaração no ano base 2016.");
    EXPECT_FALSE(r[3].chave);
    EXPECT_EQ(r[3].motivo, "Sem declaração em 2015.");

    // De novo: nada é criado
    const auto outra = TrazerDoAnoAnterior(*dm, {1});
    ASSERT_EQ(outra.size(), 1u);
    EXPECT_FALSE(outra[0].chave);
    EXPECT_TRUE(outra[0].jaTinha);
    EXPECT_TRUE(CandidatosDoAnoAnterior(*dm).size() == 1u) << "sobra só o do regime recusado";
    EXPECT_EQ(ListarDeclaracoes(dm->MainConnection, "2016").size(), 2u);
}

TEST_F(AnoAnterior, FalhaDeUmaDeclaracaoNoLoteNaoDeixaNadaDelaENemDesfazAsOutras) {
    declarar(1, 1, 1, 12, 500);
    declarar(4, 1, 1, 12, 13);
    dm->GravarParametro("ANOEXERCICIO", "2016");
    // A base recusa o estoque do contribuinte 4 no meio da gravação (o cabeçalho já entrou)
    for (const char* ddl : {"CREATE EXCEPTION E_TESTE 'recusa de teste'",
                            "CREATE TRIGGER T_TESTE FOR ESTOQUE BEFORE INSERT AS BEGIN "
                            "IF (NEW.INITRIBUTADOS = 13) THEN EXCEPTION E_TESTE; END"}) {
        fb::Transacao tr(dm->MainConnection);
        fb::Comando::executarDireto(tr, ddl);
        tr.commit();
    }
    const auto r = TrazerDoAnoAnterior(*dm, {4, 1});
    ASSERT_EQ(r.size(), 2u);
    EXPECT_FALSE(r[0].chave);
    EXPECT_NE(r[0].motivo.find("recusa de teste"), std::string::npos) << r[0].motivo;
    ASSERT_TRUE(r[1].chave) << r[1].motivo;
    const auto doAno = ListarDeclaracoes(dm->MainConnection, "2016");
    ASSERT_EQ(doAno.size(), 1u);
    EXPECT_EQ(doAno[0].DOCUMENTO_ID, *r[1].chave);
    EXPECT_EQ(doAno[0].STATUS_ID, STATUS_INCONSISTENTE) << "gravada com o status da consistência (E038)";
    auto tr = fb::Transacao::leitura(dm->MainConnection);
    fb::Comando orfas(tr, "SELECT COUNT(*) FROM ESTOQUE E WHERE NOT EXISTS "
                          "(SELECT 1 FROM DOCUMENTO D WHERE D.DOCUMENTO_ID = E.DOCUMENTO_ID)");
    orfas.proximo();
    EXPECT_EQ(orfas.coluna(0).inteiro(), 0);
}
