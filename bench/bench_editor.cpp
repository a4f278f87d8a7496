// Telas da declaração sobre uma base que o benchmark monta: abrir o editor numa declaração
// com 300 linhas de outras entradas por município e 27 de GI em cada sentido (meta: menos de
// 200 ms), digitar numa figura dela (menos de 5 ms por tecla), gravá-la pelo editor com a
// consistência (menos de 200 ms) e abrir a lista de um ano base com 10.000 declarações
// (menos de 500 ms). Telas na plataforma offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <filesystem>
#include <fstream>
#include <random>

#include "data/Cadastros.h"
#include "data/CriarBase.h"
#include "data/EdicaoDeclaracao.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"
#include "ui/Aplicacao.h"
#include "ui/Controles.h"
#include "ui/frmEDocumentos.h"
#include "ui/frmVDocumentos.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

class InteracaoMuda : public Interacao {
public:
    int mensagens = 0;
    std::string ultima;
    void mensagem(TipoMensagem, const std::string&, const std::string& texto) override {
        ++mensagens;
        ultima = texto;
    }
    bool pergunta(const std::string&, const std::string&) override { return true; }
};

QApplication& aplicacao() {
    static int argc = 1;
    static char nome[] = "bench_editor";
    static char* argv[] = {nome, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QApplication(argc, argv);
        ui::PrepararAplicacao(*a);
        return a;
    }();
    return *app;
}

// Instalação com a base criada, 300 municípios a mais, um contribuinte, a declaração grande
// de 2016 e 10.000 declarações de 2015.
struct Base {
    fs::path raiz = fs::temp_directory_path() / ("kov-bench-" + std::to_string(std::random_device{}()));
    InteracaoMuda ui;
    std::unique_ptr<Tdm> dm;
    int grande = 0;

    Base() {
        fs::create_directories(raiz / "EXE");
        fs::create_directories(raiz / "BD");
        std::ofstream(raiz / "EXE" / "KOV.ini") << "[KOV]\nDatabase=..\\BD\\KOV.GDB\n";
        criarBase((raiz / "BD" / "KOV.GDB").string());
        {
            // Municípios e contribuinte antes de abrir o módulo, que lê as referências
            Tdm inicial(ui, (raiz / "EXE").string());
            inicial.DataModuleCreate();
            fb::Transacao tr(inicial.MainConnection);
            fb::Comando::executarDireto(tr,
                                        "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 300) DO BEGIN "
                                        "INSERT INTO MUNICIPIO VALUES (900000 + :I, 900000 + :I, 'BENCH ' || :I); "
                                        "I = I + 1; END END");
            Contribuinte c;
            c.CONTRIBUINTE_ID = 1;
            c.CNAEF_ID = "4711301";
            c.DESMEMBRAMENTO = "00";
            c.CODDRUMUNICIPIO = 900000;
            c.UF_ID = "QZ";
            c.TIPOCONTRIBUINTE_ID = 1;
            c.RAZAOSOCIAL = "Bench";
            c.CEP = "12345678";
            c.INSCESTADUAL = "1234567890107";
            c.RESPONSAVEL_ID = 0;
            c.CNPJ = "12345678000199";
            Contribuinte outro = c;  // o das 10.000 declarações, sem conflito de período com a grande
            outro.CONTRIBUINTE_ID = 2;
            outro.INSCESTADUAL = "9876543210105";
            InserirLinhas(tr, std::vector<Contribuinte>{c, outro});
            fb::Comando::executarDireto(
                tr,
                "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 10000) DO BEGIN "
                "INSERT INTO DOCUMENTO (DOCUMENTO_ID, CONTRIBUINTE_ID, STATUS_ID, REGIME_ID, TIPOCONTRIBUINTE_ID, "
                "CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, TIPORECOLHIMENTO_ID, PERIODO, MESINICIAL, MESFINAL, "
                "ESCRITACONTABIL, SUBSTITUICAO, MUDANCAMUNICIPIO, BAIXA, MUDANCAMUNICIPIOANOCORRENTE) VALUES "
                "(1000 + :I, 2, MOD(:I, 3), 1, 1, '4711301', '00', 900000, 0, 2015, 1, 12, 'N', 'N', 'N', 'N', 'N'); "
                "IF (MOD(:I, 7) = 0) THEN INSERT INTO TRANSMISSAO (TRANSMISSAO_ID, DOCUMENTO_ID, TIPOTRANSMISSAO) "
                "VALUES (1000 + :I, 1000 + :I, 'D'); I = I + 1; END END");
            tr.commit();
            inicial.GravarParametro("ANOEXERCICIO", "2016");
        }
        dm = std::make_unique<Tdm>(ui, (raiz / "EXE").string());
        dm->DataModuleCreate();
        Declaracao d = NovaDeclaracao("2016");
        const Contribuinte c = CarregarContribuinte(dm->MainConnection, 1);
        DefinirContribuinte(d, c);
        d.doc.REGIME_ID = 1;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CODDRUMUNICIPIO = 900000;
        d.doc.MESINICIAL = 1;
        d.doc.MESFINAL = 12;
        CriarSecoesQueFaltam(d);
        for (const auto& uf : dm->ref.cdsUF) {
            if (uf.UF_ID == "QZ") continue;
            GIEntrada e;
            ZerarCampos(e);
            e.UF_ID = uf.UF_ID;
            e.VALORCONTABIL = Dinheiro::deReais(1000);
            d.giEntrada.push_back(e);
            GISaidas s;
            ZerarCampos(s);
            s.UF_ID = uf.UF_ID;
            d.giSaidas.push_back(s);
        }
        for (int i = 0; i < 300; ++i) {
            DetalhamentoEntrada m = NovaLinhaDetalhamentoEntrada("N");
            m.CODDRUMUNICIPIO = 900000 + i;
            m.VALOR = Dinheiro::deReais(100 + i);
            d.detalhamentoEntrada.push_back(m);
        }
        SalvarDeclaracao(dm->MainConnection, d, c, 2026, "2016");
        grande = d.doc.DOCUMENTO_ID;
    }
    ~Base() {
        dm.reset();
        fs::remove_all(raiz);
    }
};

Base& base() {
    aplicacao();
    static Base b;
    return b;
}

// Lista do ano base 2016 (a declaração grande), com o ano corrente fixo.
std::unique_ptr<ConjuntoDeclaracoes> declaracoes(Base& b) {
    auto cds = std::make_unique<ConjuntoDeclaracoes>(*b.dm);
    cds->anoCorrente = [] { return 2026; };
    cds->abrir();
    return cds;
}

void BM_AbrirEditor300Municipios(benchmark::State& state) {
    auto& b = base();
    auto cds = declaracoes(b);
    for (auto _ : state) {
        cds->editar();
        {
            ui::TFormEdicaoDocumentos tela(*b.dm, cds.get());
            tela.show();
            QApplication::processEvents();
            if (cds->agregado()->detalhamentoEntrada.size() != 300) state.SkipWithError("declaração incompleta");
            state.PauseTiming();
            tela.cancelar();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AbrirEditor300Municipios)->Unit(benchmark::kMillisecond);

// Arg 0: a declaração sozinha no ano base; Arg 1: com as 10.000 declarações no mesmo ano,
// que a lista lê de novo depois de gravar.
void BM_GravarPeloEditorComConsistencia(benchmark::State& state) {
    auto& b = base();
    auto mudarAno = [&](int ano) {
        fb::Transacao tr(b.dm->MainConnection);
        fb::Comando u(tr, "UPDATE DOCUMENTO SET PERIODO = :P WHERE DOCUMENTO_ID >= 1000");
        u.param("P", ano).executar();
        tr.commit();
    };
    if (state.range(0) == 1) mudarAno(2016);
    auto cds = declaracoes(b);
    int64_t n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        cds->editar();
        auto tela = std::make_unique<ui::TFormEdicaoDocumentos>(*b.dm, cds.get());
        tela->show();
        QApplication::processEvents();
        cds->alterarAgregado([&](Declaracao& d) { d.detalhamentoEntrada[7].VALOR = Dinheiro::deReais(++n); });
        state.ResumeTiming();
        if (!tela->gravar()) state.SkipWithError(("não gravou: " + b.ui.ultima).c_str());
        state.PauseTiming();
        tela.reset();
        // A gravação chegou à base e a consistência deu a situação
        const Declaracao d = CarregarDeclaracao(b.dm->MainConnection, b.grande);
        if (v(d.detalhamentoEntrada[7].VALOR) != Dinheiro::deReais(n) || d.doc.STATUS_ID.value_or(0) == 0 ||
            b.dm->Consistencias.cdsDocumentosErros.size() != 1)
            state.SkipWithError("a gravação não chegou à base");
        state.ResumeTiming();
    }
    if (state.range(0) == 1) mudarAno(2015);
}
BENCHMARK(BM_GravarPeloEditorComConsistencia)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Uma tecla num campo de figura (o estoque inicial) com a declaração de 300 municípios e 27
// UFs de GI aberta no editor: a figura vai para a declaração e o total do estoque é refeito
// e mostrado (meta: menos de 5 ms por tecla). Alterna um dígito e o Backspace.
void BM_DigitarFigura300Municipios(benchmark::State& state) {
    auto& b = base();
    auto cds = declaracoes(b);
    cds->editar();
    ui::TFormEdicaoDocumentos tela(*b.dm, cds.get());
    tela.show();
    QApplication::processEvents();
    if (!tela.irParaPagina(ui::TFormEdicaoDocumentos::PaginaPrelo)) state.SkipWithError("PRELO não abriu");
    ui::CampoValor* campo = tela.figura(QStringLiteral("tbsPreloDebCredEstoque"), "INITRIBUTADOS");
    ui::CampoValor* total = tela.figura(QStringLiteral("tbsPreloDebCredEstoque"), "calcIniTotal");
    if (!campo || !total) {
        state.SkipWithError("campo não encontrado");
        return;
    }
    campo->setFocus();
    campo->setText(QStringLiteral("1"));
    campo->setCursorPosition(1);
    bool digito = true;
    for (auto _ : state) {
        QKeyEvent k(QEvent::KeyPress, digito ? Qt::Key_7 : Qt::Key_Backspace, Qt::NoModifier,
                    digito ? QStringLiteral("7") : QString());
        QApplication::sendEvent(campo, &k);
        const QString esperado = digito ? QStringLiteral("17") : QStringLiteral("1");
        if (!total->text().endsWith(esperado)) state.SkipWithError(("total não acompanhou: " + total->text()).toStdString().c_str());
        digito = !digito;
    }
    tela.cancelar();
}
BENCHMARK(BM_DigitarFigura300Municipios)->Unit(benchmark::kMillisecond);

void BM_AbrirLista10000Declaracoes(benchmark::State& state) {
    auto& b = base();
    b.dm->GravarParametro("ANOEXERCICIO", "2015");
    for (auto _ : state) {
        ui::TFormVisaoDocumentos lista(*b.dm);
        lista.show();
        QApplication::processEvents();
        if (lista.conjunto()->quantidade() != 10000) state.SkipWithError("lista incompleta");
        state.PauseTiming();
        lista.hide();
        state.ResumeTiming();
    }
    b.dm->GravarParametro("ANOEXERCICIO", "2016");
}
BENCHMARK(BM_AbrirLista10000Declaracoes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
