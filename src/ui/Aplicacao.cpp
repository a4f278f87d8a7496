#include "ui/Aplicacao.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include "ui/CaixaMensagem.h"

namespace kov::ui {

bool FiltroCaixasMensagem::eventFilter(QObject* alvo, QEvent* evento) {
    if (evento->type() == QEvent::Show)
        if (auto* caixa = qobject_cast<QMessageBox*>(alvo)) TraduzirCaixa(*caixa);
    return false;
}

void PrepararAplicacao(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("KOV"));
    // A entrada de menu do pacote (kov.desktop): a janela fica com o ícone dela
    QGuiApplication::setDesktopFileName(QStringLiteral("kov"));

    // Português do Brasil: data dd/MM/aaaa, milhar "." e decimal ",". Os impressos e os
    // arquivos de declaração contam com estes formatos.
    QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    brasil.setNumberOptions(QLocale::DefaultNumberOptions);
    QLocale::setDefault(brasil);

    // Textos dos diálogos do próprio Qt (seleção de pasta, impressão, ...).
    auto* traducao = new QTranslator(&app);
    if (traducao->load(brasil, QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(traducao);
    else
        delete traducao;

    app.installEventFilter(new FiltroCaixasMensagem(&app));
}

}  // namespace kov::ui
