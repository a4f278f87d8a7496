// Seleção de impressão (Impressões > Relatórios): a lista do ano base e a sua ordem, as
// caixas dos formulários, a ordem de produção e as escolhas limpas depois de cada execução.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableView>

#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "data/Cadastros.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Transacao.h"
#include "ui/ApoioUi.h"
#include "ui/frmFiltros.h"
#include "reports/pdrReport.h"
#include "ui/frmPrincipal.h"

using namespace kov;
using namespace kov::teste;
using kov::relatorios::TipoFormulario;

namespace {

struct Relatorios : ::testing::Test {
    AmbienteTela amb;
    std::map<int, int> porRegime;  // regime -> chave
    void SetUp() override {
        aplicacaoTeste();
        const int resp = gravarResponsavel(*amb.dm, "Ana");
        std::vector<Contribuinte> cs;
        const char* nomes[] = {"Zeta Comércio", "Alfa Indústria", "Meio Serviços"};
        for (int i = 0; i < 3; ++i) {
            Contribuinte c = ContribuinteDeTeste(i + 1, amb.dm->ref.cdsMunicipio.at(0).CODDRUMUNICIPIO, nomes[i]);
            c.INSCESTADUAL = InscricaoValida(100 + i);
            c.RESPONSAVEL_ID = resp;
            cs.push_back(c);
        }
        fb::Transacao tr(amb.dm->MainConnection);
        InserirLinhas(tr, cs);
        tr.commit();
        // Regime 1 com outras entradas e GI (os seis formulários), 3 e 5, em contribuintes distintos
        const int regimes[] = {1, 3, 5};
        for (int i = 0; i < 3; ++i) {
            Declaracao d = NovaDeclaracao("2016");
            DefinirContribuinte(d, cs[static_cast<size_t>(i)]);
            d.doc.REGIME_ID = regimes[i];
            d.doc.TIPOCONTRIBUINTE_ID = 1;
            d.doc.CODDRUMUNICIPIO = cs[0].CODDRUMUNICIPIO;
            d.doc.MESINICIAL = 3 - i;
            d.doc.MESFINAL = 12;
            if (regimes[i] == 1) {
                CriarSecoesQueFaltam(d);
                d.giSaidas.push_back(GISaidas{0, "SP"});
                d.detalhamentoEntrada.push_back({0, cs[0].CODDRUMUNICIPIO.value(), Dinheiro::deReais(3), "N", {}});
            }
            SalvarDeclaracao(amb.dm->MainConnection, d, cs[static_cast<size_t>(i)], 2026, "2016");
            porRegime[regimes[i]] = d.doc.DOCUMENTO_ID;
        }
    }
    void selecionar(kov::ui::TFormFiltros& t, int chave) {
        for (size_t i = 0; i < t.linhas().size(); ++i)
            if (t.linhas()[i].DOCUMENTO_ID == chave) t.lista()->selectRow(static_cast<int>(i));
    }
};

std::vector<QCheckBox*> seis(kov::ui::TFormFiltros& t) {
    return {t.CHK_PRELO, t.CHK_Entradas, t.CHK_Saidas, t.CHK_KOV, t.CHK_KOVOutras, t.CHK_GI};
}

}  // namespace

TEST_F(Relatorios, MarcarTodasProduzNaOrdemELimpaAsEscolhas) {
    kov::ui::TFormFiltros t(*amb.dm);
    t.setAttribute(Qt::WA_DeleteOnClose, false);
    std::vector<std::pair<TipoFormulario, bool>> produzidos;
    std::vector<QString> titulos;
    t.definirProdutor([&](const relatorios::FormularioMontado& f, bool direto) {
        produzidos.push_back({f.tipo, direto});
        titulos.push_back(f.relatorio.textoDaPagina(0));
    });
    t.show();
    EXPECT_EQ(t.windowTitle(), "Filtros");
    ASSERT_EQ(t.linhas().size(), 3u);
    EXPECT_EQ(t.lista()->model()->headerData(1, Qt::Horizontal).toString(), "Contribuinte");
    // Ordem pela inscrição; "Razão Social" reordena pelo nome
    EXPECT_EQ(t.lista()->model()->index(0, 1).data().toString(), QString::fromUtf8("Zeta Comércio"));
    t.ordem()->setCurrentIndex(2);
    EXPECT_EQ(t.lista()->model()->index(0, 1).data().toString(), QString::fromUtf8("Alfa Indústria"));
    t.ordem()->setCurrentIndex(1);  // período: mês inicial 1, 2, 3
    EXPECT_EQ(t.lista()->model()->index(0, 1).data().toString(), QString::fromUtf8("Meio Serviços"));

    selecionar(t, porRegime[1]);
    t.CHK_DiretoImpressora->setChecked(true);
    t.CHKMarca->setChecked(true);
    EXPECT_EQ(t.CHKMarca->text(), "Desmarcar todas");
    for (QCheckBox* c : seis(t)) EXPECT_TRUE(c->isChecked()) << c->objectName().toStdString();
    t.BTN_Executar->click();
    using T = TipoFormulario;
    const std::vector<std::pair<T, bool>> esperados = {{T::Prelo, true}, {T::Entradas, true}, {T::Saidas, true},
                                                       {T::Kov, true},   {T::KovOutras, true}, {T::GI, true}};
    EXPECT_EQ(produzidos, esperados);
    EXPECT_TRUE(titulos.front().contains(QStringLiteral("PRELO COMPLETA")));
    EXPECT_TRUE(titulos.front().contains(QStringLiteral("Zeta Comércio")));
    for (QCheckBox* c : seis(t)) EXPECT_FALSE(c->isChecked());
    EXPECT_FALSE(t.CHK_DiretoImpressora->isChecked());
    EXPECT_FALSE(t.CHKMarca->isChecked());
    EXPECT_EQ(t.CHKMarca->text(), "Marcar todas");

    // Regime 3: PRELO, entradas e saídas não produzem nada (e o usuário é avisado); o KOV sim
    produzidos.clear();
    selecionar(t, porRegime[3]);
    t.CHK_PRELO->setChecked(true);
    t.CHK_Entradas->setChecked(true);
    t.CHK_Saidas->setChecked(true);
    t.BTN_Executar->click();
    EXPECT_TRUE(produzidos.empty());
    ASSERT_FALSE(amb.doTipo("info").empty());
    EXPECT_EQ(amb.doTipo("info").back().texto, "Nenhum formulário a imprimir para esta declaração.");
    t.CHK_PRELO->setChecked(true);
    t.CHK_KOV->setChecked(true);
    emit t.lista()->doubleClicked(t.lista()->currentIndex());
    EXPECT_EQ(produzidos, (std::vector<std::pair<T, bool>>{{T::Kov, false}}));
    EXPECT_TRUE(titulos.back().contains(QStringLiteral("Alfa Indústria")));  // a declaração desta execução

    // Regime 5: a PRELO simplificada
    selecionar(t, porRegime[5]);
    t.CHK_PRELO->setChecked(true);
    t.BTN_Executar->click();
    ASSERT_EQ(produzidos.size(), 2u);
    EXPECT_TRUE(titulos.back().contains(QStringLiteral("PRELO SIMPLIFICADA")));
}

TEST_F(Relatorios, ListaVaziaEJanelaPrincipal) {
    amb.dm->GravarParametro("ANOEXERCICIO", "2015");
    kov::ui::TFormFiltros t(*amb.dm);
    t.setAttribute(Qt::WA_DeleteOnClose, false);
    t.show();
    EXPECT_EQ(t.linhas().size(), 0u);
    t.CHK_KOV->setChecked(true);
    t.BTN_Executar->click();
    ASSERT_FALSE(amb.doTipo("info").empty());
    EXPECT_EQ(amb.doTipo("info").back().texto,
              "Selecione uma declaração, clicando sobre a linha da inscrição estadual desejada.");
    t.close();

    // "Relatórios" da janela principal abre a seleção, modal
    kov::ui::TFormPrincipal principal(*amb.dm);
    bool abriu = false;
    quandoAparecer<kov::ui::TFormFiltros>([&](kov::ui::TFormFiltros* f) {
        abriu = true;
        f->BTN_Fechar->click();
    });
    principal.findChild<QAction*>("actRelatorios")->trigger();
    EXPECT_TRUE(abriu);
}

TEST(Visualizacao, SalvarPdfPelaPreVisualizacao) {
    aplicacaoTeste();
    PastaTemporaria pasta;
    const QString destino = QString::fromStdString((pasta.caminho() / "salvo.pdf").string());
    kov::relatorios::TscrPdrReport frame(QStringLiteral("Teste"), QStringLiteral("Título do teste"),
                                         QStringLiteral("7.07.10"));
    bool achouSalvar = false, achouNome = false;
    quandoAparecer<QPrintPreviewDialog>([&](QPrintPreviewDialog* dlg) {
        quandoAparecer<QFileDialog>([&](QFileDialog* fd) {
            // O caminho inteiro na caixa do nome: não depende da pasta que o diálogo carrega
            if (auto* nome = fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                achouNome = true;
                nome->setText(destino);
                QMetaObject::invokeMethod(fd, "accept");
            }
            if (fd->isVisible()) fd->reject();
        });
        if (auto* salvar = dlg->findChild<QAction*>("actSalvarPdf")) {
            achouSalvar = true;
            salvar->trigger();
        }
        dlg->reject();
    });
    kov::ui::VisualizarRelatorio(frame.QuickRep1(), nullptr);
    ASSERT_TRUE(achouSalvar);
    ASSERT_TRUE(achouNome);
    ASSERT_TRUE(std::filesystem::exists(destino.toStdString()));
    const auto r = rodar("/usr/bin/pdftotext", {destino.toStdString(), "-"});
    EXPECT_NE(r.saida.find("Título do teste"), std::string::npos) << r.saida << r.erros;
    EXPECT_NE(r.saida.find("KOV 7.07.10"), std::string::npos);
}
