// O programa kov de verdade, como processo filho numa instalação de teste.
#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

#include "ApoioUi.h"
#include "ui/EncerramentoPorSinal.h"

using namespace kov::teste;
namespace fs = std::filesystem;

namespace {

// Instalação com o executável copiado para EXE/ (o programa acha a sua configuração,
// a base e as figuras pela pasta do próprio executável).
struct InstalacaoPrograma : AmbienteTela {
    QProcess kov;
    InstalacaoPrograma() {
        fs::copy_file(KOV_GUI, inst.exe / "kov");
        dm.reset();  // a base fica só para o programa
        QProcessEnvironment amb = QProcessEnvironment::systemEnvironment();
        amb.insert("QT_QPA_PLATFORM", "offscreen");
        kov.setProcessEnvironment(amb);
        kov.setProgram(QString::fromStdString((inst.exe / "kov").string()));
        kov.setWorkingDirectory(QString::fromStdString(inst.exe.string()));
    }
    ~InstalacaoPrograma() {
        if (kov.state() != QProcess::NotRunning) {
            kov.kill();
            kov.waitForFinished(5000);
        }
    }
};

}  // namespace

TEST(Programa, SinalDeTerminoFechaOProgramaComoAMoldura) {
    for (int sinal : {SIGTERM, SIGINT, SIGHUP}) {
        InstalacaoPrograma p;
        escreverArquivo(p.pastaTemp() / "ReciboKOV.txt", "recibo");
        p.kov.start();
        ASSERT_TRUE(p.kov.waitForStarted(10000));
        // deixa o programa abrir a base e mostrar a janela
        ASSERT_FALSE(p.kov.waitForFinished(2500)) << "o programa terminou sozinho: "
                                                  << p.kov.readAllStandardError().toStdString();
        ::kill(static_cast<pid_t>(p.kov.processId()), sinal);
        ASSERT_TRUE(p.kov.waitForFinished(15000)) << "o programa não atendeu ao sinal " << sinal;
        EXPECT_EQ(p.kov.exitStatus(), QProcess::NormalExit) << sinal;
        EXPECT_EQ(p.kov.exitCode(), 0) << sinal;
        // como fechar pela moldura: a pasta temporária fica como estava
        EXPECT_TRUE(fs::exists(p.pastaTemp() / "ReciboKOV.txt")) << sinal;
    }
}

// O sinal chega com uma janela modal aberta (uma pergunta no meio de uma entrega): ela se fecha,
// e as que o código abrir em seguida também, até o programa sair; antes, depois da primeira o
// programa continuava aberto.
TEST(Programa, SinalComJanelaModalAbertaFechaTambemAsSeguintes) {
    aplicacaoTeste();
    kov::ui::EncerramentoPorSinal sinais;
    QDialog primeira;
    QTimer::singleShot(0, [] { ::raise(SIGTERM); });
    primeira.exec();
    QDialog segunda;
    bool pelaEspera = false;
    QTimer::singleShot(5000, &segunda, [&] {
        pelaEspera = true;
        segunda.reject();
    });
    QElapsedTimer relogio;
    relogio.start();
    segunda.exec();
    EXPECT_FALSE(pelaEspera) << "a segunda janela não foi fechada pelo pedido de encerramento";
    EXPECT_LT(relogio.elapsed(), 5000);
}
