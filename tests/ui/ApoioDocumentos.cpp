#include "ApoioDocumentos.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "ui/Controles.h"
#include "ui/untMunicipio.h"

namespace kov::teste {

void escolherNaLista(QComboBox* cb, const QString& comeco) {
    cb->setFocus();
    cb->showPopup();
    int i = 0;
    while (i < cb->count() && !cb->itemText(i).startsWith(comeco)) ++i;
    ASSERT_LT(i, cb->count()) << comeco.toStdString();
    cb->view()->setCurrentIndex(cb->model()->index(i, 0));
    QTest::keyClick(cb->view(), Qt::Key_Return);
}

void digitarNaCelula(QTableView* grade, const QString& texto) {
    QTest::keyClicks(grade, texto.left(1));
    QTest::keyClicks(QApplication::focusWidget(), texto.mid(1));
}

void escolherMunicipio(TFormEdicaoDocumentos* t, const QString& nome) {
    quandoAparecer<ui::TfrmEscolheMunicipio>([nome](ui::TfrmEscolheMunicipio* p) {
        digitar(p->caixaLocalizar(), nome);
        QTest::mouseClick(p->botaoConfirmar(), Qt::LeftButton);
        if (p->isVisible()) p->reject();
    });
    QTest::mouseClick(t->btnMunicipio, Qt::LeftButton);
}

void preencherCabecalho(TFormEdicaoDocumentos* t, const QString& inscricao, const QString& regime,
                        const QString& municipio) {
    escolherNaLista(t->cbInscricao, inscricao);
    escolherNaLista(t->cbMesInicial, "01");
    escolherNaLista(t->cbMesFinal, "12");
    escolherNaLista(t->cbRegime, regime);
    escolherMunicipio(t, municipio);
}

}  // namespace kov::teste
