// As telas dos recibos: a escolha da declaração (sem recibo, vários recibos no histórico em
// ordem de data e hora) com entregas gravadas direto na base.
#include <gtest/gtest.h>

#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableWidget>

#include "apoio/Cadastro.h"
#include "data/Entregas.h"
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
        tr.commit();
    }
    ui::TscrUntEscolheDeclaracao tela(*amb.dm);
    auto linhaDe = [&](int i) {
        for (int l = 0; l < tela.grade()->rowCount(); ++l)
            if (tela.grade()->item(l, 0)->text().toStdString() == FormatarIE(cts[static_cast<size_t>(i)].INSCESTADUAL))
                return l;
        return -1;
    };
    ASSERT_EQ(tela.grade()->rowCount(), 2);
    // Só a gravação (D): não há recibo
    tela.grade()->setCurrentCell(linhaDe(1), 0);
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
    tela.grade()->setCurrentCell(linhaDe(0), 0);
    tela.actImprimirExecute();
    EXPECT_EQ(protocolos, QStringList({"11111111111111111", "22222222222222222"}));
    EXPECT_EQ(topo.size(), 1);
}
