// kov: o programa com interface gráfica.
#include <QApplication>

#include "data/dmPrincipal.h"
#include "platform/InstalacaoUsuario.h"
#include "platform/Memoria.h"
#include "platform/Sinais.h"
#include "ui/Aplicacao.h"
#include "ui/EncerramentoPorSinal.h"
#include "ui/InteracaoGui.h"
#include "ui/frmPrincipal.h"

int main(int argc, char** argv) {
    kov::AjustarAlocadorMemoria();
    kov::BloquearSinaisEncerramento();
    QApplication app(argc, argv);
    kov::ui::PrepararAplicacao(app);

    kov::ui::InteracaoGui ui;
    // Instalado por pacote, a primeira partida monta a raiz do usuário (KOV.ini, base, pastas)
    try {
        kov::PastaDoProgramaEmUso();
    } catch (const std::exception& e) {
        ui.erro(e.what());
        return 1;
    }
    kov::Tdm dm(ui);
    // Falhas de abertura da base já foram mostradas; as janelas são criadas assim mesmo.
    dm.DataModuleCreate();

    kov::ui::TFormPrincipal principal(dm);
    ui.definirJanela(&principal);
    ui.definirBarraStatus(principal.statusBar());
    // Versão da base incompatível: a mensagem já foi dada e o programa termina.
    if (dm.terminacaoSolicitada()) return 1;

    // Fim da sessão ou "kill": fecha como a moldura da janela; a base é fechada ao sair.
    kov::ui::EncerramentoPorSinal sinais;
    principal.showMaximized();
    return app.exec();
}
