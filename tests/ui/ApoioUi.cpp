#include "ApoioUi.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <QPointer>
#include <QTimer>
#include <algorithm>

#include "data/Cadastros.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "ui/Aplicacao.h"

namespace fs = std::filesystem;

namespace kov::teste {

namespace {
// Esperas de janela ainda vivas; no fim de cada teste as que sobraram são desligadas.
std::vector<QPointer<QTimer>>& esperas() {
    static std::vector<QPointer<QTimer>> v;
    return v;
}

class CancelaEsperas : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        for (auto& t : esperas())
            if (t) {
                t->stop();
                delete t.data();
            }
        esperas().clear();
    }
};

const bool ouvinteRegistrado = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new CancelaEsperas);
    return true;
}();
}  // namespace

void registrarEspera(QTimer* timer) {
    (void)ouvinteRegistrado;
    auto& v = esperas();
    v.erase(std::remove_if(v.begin(), v.end(), [](const QPointer<QTimer>& t) { return t.isNull(); }), v.end());
    v.emplace_back(timer);
}

QApplication& aplicacaoTeste() {
    static QApplication* app = [] {
        static int argc = 1;
        static char nome[] = "testes_ui";
        static char* argv[] = {nome, nullptr};
        auto* a = new QApplication(argc, argv);
        ui::PrepararAplicacao(*a);
        return a;
    }();
    return *app;
}

void gravarParametroNaBase(const fs::path& base, const std::string& campo, const std::string& valor) {
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = enderecoBanco(base);
    c.abrir(p);
    fb::Transacao tr(c);
    fb::Comando cmd(tr, "UPDATE OR INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES (:CAMPO, :VALOR) MATCHING (CAMPO)");
    cmd.param("CAMPO", campo).param("VALOR", valor);
    cmd.executar();
    tr.commit();
}

void copiarRecursosPrograma(const fs::path& exe) {
    const fs::path recursos = fs::path(KOV_FONTE) / "recursos" / "EXE";
    for (const char* nome : {"Item.bmp", "ItemDisable.bmp", "Cabecalho.png", "Logo.png"})
        fs::copy_file(recursos / nome, exe / nome, fs::copy_options::overwrite_existing);
    for (const char* pasta : {"ajuda", "botoes"})
        fs::copy(recursos / pasta, exe / pasta, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

AmbienteTela::AmbienteTela(const std::string& anoBase, bool versaoTeste) {
    aplicacaoTeste();
    inst.escreverIni(iniDaSuite(inst));
    gravarParametroNaBase(inst.base, "VERSAO", TConfigApp{}.Versao);
    gravarParametroNaBase(inst.base, "ANOEXERCICIO", anoBase);
    copiarRecursosPrograma(inst.exe);
    dm = std::make_unique<Tdm>(ui, inst.exe.string());
    dm->ConfigApp.VersaoTeste = versaoTeste;
    dm->DataModuleCreate();
}

std::vector<MensagemGravada> AmbienteTela::doTipo(const std::string& tipo) const {
    std::vector<MensagemGravada> v;
    for (const auto& m : ui.mensagens)
        if (m.tipo == tipo) v.push_back(m);
    return v;
}

int gravarResponsavel(Tdm& dm, const std::string& nome) {
    InteracaoGravada ui;
    Responsavel r = NovoResponsavel();
    r.NOME = nome;
    r.DDD = "11";
    r.TELEFONE = "33334444";
    r.EMAIL = "contato@contab.com.br";
    GravarResponsavel(dm.MainConnection, r, ui);
    return r.RESPONSAVEL_ID;
}

void digitar(QWidget* w, const QString& texto) {
    for (QChar c : texto) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void redigitar(QLineEdit* e, const QString& texto) {
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Backspace);
    digitar(e, texto);
}

void mostrarAtiva(QWidget& w) {
    w.show();
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; }));
}

QString textoBotao(QMessageBox* caixa, QMessageBox::StandardButton b) {
    QAbstractButton* botao = caixa->button(b);
    return botao ? botao->text() : QString();
}

}  // namespace kov::teste
