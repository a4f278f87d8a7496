// As telas dos recibos: a escolha da declaração (sem recibo, vários recibos no histórico em
// ordem de data e hora) com entregas gravadas direto na base.
#include <gtest/gtest.h>

#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include "apoio/Cadastro.h"
#include "data/Entregas.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "data/untUtils.h"
#include "ui/ApoioUi.h"
#include "ui/frmHistorico.h"

using namespace kov;
using namespace kov::teste;

TEST(TelasRecibos, EscolhaSemReciboEHistoricoEmOrdem) {
    aplicacaoTeste();
    AmbienteTela amb;
    std::vector<Contribuinte> cts;
    const auto ids = DeclaracoesParaEntrega(amb.dm->MainConnection, 2, "2016", &cts);
    {
        fb::Transacao tr(amb.dm->MainConnection);
        using namespace std::chrono;
        for (const auto& [data, hora, prot] :
             {std::tuple{2017y / March / 6, "08:00:00", "22222222222222222"},
              std::tuple{2017y / March / 5, "23:59:59", "11111111111111111"}}) {
            Entrega e;
            e.DOCUMENTO_ID = ids[0];
            e.DATA = data;
            e.HORA = hora;
            e.PROTOCOLO = prot;
            e.TIPOTRANSMISSAO = "T";
            e.RECIBO = "Contribuinte: teste\r\n";
            GravarEntrega(tr, e);
        }
        Entrega d;
        d.DOCUMENTO_ID = ids[1];
        d.TIPOTRANSMISSAO = "D";
        GravarEntrega(tr, d);
        // Alterada depois da gravação e inconsistente hoje: continua na lista dos recibos
        fb::Comando q(tr, "UPDATE DOCUMENTO SET STATUS_ID = 1 WHERE DOCUMENTO_ID = :ID");
        q.param("ID", ids[1]).executar();
        tr.commit();
    }
    ui::TscrUntEscolheDeclaracao tela(*amb.dm);
    QAbstractItemModel* m = tela.grade()->model();
    auto linhaDe = [&](int i) {
        for (int l = 0; l < m->rowCount(); ++l)
            if (m->index(l, 0).data().toString().toStdString() == cts[static_cast<size_t>(i)].INSCESTADUAL) return l;
        return -1;
    };
    ASSERT_EQ(m->rowCount(), 2);
    QStringList titulos, valores;
    for (int c = 0; c < m->columnCount(); ++c) {
        titulos << m->headerData(c, Qt::Horizontal).toString();
        valores << m->index(linhaDe(0), c).data().toString();
    }
    EXPECT_EQ(titulos, QStringList({"Insc. Estadual", "Razão Social", "Periodo", "Mês Inicial", "Mês Final",
                                    "Município", "Status", "Tipo", "Regime"}));
    // Município, consistência, tipo e regime descritos pelas tabelas de referência
    EXPECT_EQ(valores.mid(2), QStringList({"2016", "Janeiro", "Dezembro", "ESTRELA DO NORTE", "Consistente",
                                          "Contrib. com Outras Entradas", "Normal - Débito e Crédito"}))
        << valores.join("|").toStdString();
    // Só a gravação (D): não há recibo
    tela.grade()->setCurrentIndex(m->index(linhaDe(1), 0));
    tela.actImprimirExecute();
    EXPECT_EQ(amb.ui.textos(), std::vector<std::string>{"Não existe recibo para esta declaração!"});

    // Dois recibos: o histórico, em ordem de data e hora
    QStringList protocolos, topo;
    quandoAparecer<ui::TscrUntHistorico>([&](ui::TscrUntHistorico* h) {
        for (int l = 0; l < h->grade()->rowCount(); ++l) protocolos << h->grade()->item(l, 2)->text();
        EXPECT_EQ(h->grade()->item(0, 0)->text(), "05/03/2017");
        EXPECT_EQ(h->grade()->item(0, 1)->text(), "23:59:59");
        EXPECT_TRUE(h->botaoImprimir()->isEnabled());
        // O recibo da linha escolhida vai para a pré-visualização
        quandoAparecer<QPrintPreviewDialog>([&](QPrintPreviewDialog* p) {
            topo << p->windowTitle();
            p->reject();
        });
        h->grade()->setCurrentCell(1, 0);
        h->actImprimirExecute();
        h->accept();
    });
    tela.grade()->setCurrentIndex(m->index(linhaDe(0), 0));
    tela.actImprimirExecute();
    EXPECT_EQ(protocolos, QStringList({"11111111111111111", "22222222222222222"}));
    EXPECT_EQ(topo.size(), 1);

    // Um recibo só: a pré-visualização abre logo, sem o histórico
    {
        fb::Transacao tr(amb.dm->MainConnection);
        Entrega e;
        e.DOCUMENTO_ID = ids[1];
        e.DATA = std::chrono::year{2017} / 4 / 1;
        e.HORA = "09:00:00";
        e.PROTOCOLO = "33333333333333333";
        e.TIPOTRANSMISSAO = "T";
        GravarEntrega(tr, e);
        tr.commit();
    }
    bool historico = false, previa = false;
    quandoAparecer<ui::TscrUntHistorico>([&](ui::TscrUntHistorico* h) {
        historico = true;
        h->accept();
    });
    quandoAparecer<QPrintPreviewDialog>([&](QPrintPreviewDialog* p) {
        previa = true;
        p->reject();
    });
    tela.grade()->setCurrentIndex(m->index(linhaDe(1), 0));
    tela.actImprimirExecute();
    EXPECT_TRUE(previa);
    EXPECT_FALSE(historico);
}
