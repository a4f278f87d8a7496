// O agregado da declaração: carregar (meta: menos de 5 ms) e gravar (menos de 20 ms) uma
// declaração com 300 linhas de outras entradas por município e 27 linhas de GI em cada
// sentido; listar as 10.000 declarações de um ano base (menos de 200 ms).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "data/CriarBase.h"
#include "data/Declaracao.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

struct Base {
    fs::path pasta = fs::temp_directory_path() / ("kov-bench-" + std::to_string(std::random_device{}()));
    fb::Conexao c;
    Declaracao grande;
    Base() {
        fs::create_directories(pasta);
        criarBase((pasta / "KOV.GDB").string());
        fb::ParametrosConexao p;
        p.banco = (pasta / "KOV.GDB").string();
        c.abrir(p);
        fb::Transacao tr(c);
        // Municípios extras para chegar a 300 linhas
        fb::Comando::executarDireto(tr,
                                    "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 300) DO BEGIN "
                                    "INSERT INTO MUNICIPIO VALUES (900000 + :I, 900000 + :I, 'BENCH ' || :I); I = I + 1; "
                                    "END END");
        fb::Comando::executarDireto(tr,
                                    "INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, "
                                    "UF_ID, TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, CNPJ) VALUES (1, "
                                    "'4711301', '00', 900000, 'QZ', 1, 'Bench', '12345678', '1234567890107', "
                                    "'12345678000199')");
        tr.commit();
        grande = NovaDeclaracao("2016");
        grande.doc.DOCUMENTO_ID = 1;
        grande.doc.CONTRIBUINTE_ID = 1;
        grande.doc.REGIME_ID = 1;
        grande.doc.TIPOCONTRIBUINTE_ID = 1;
        grande.doc.CNAEF_ID = "4711301";
        grande.doc.DESMEMBRAMENTO = "00";
        grande.doc.CODDRUMUNICIPIO = 900000;
        grande.doc.MESINICIAL = 1;
        grande.doc.MESFINAL = 12;
        CriarSecoesQueFaltam(grande);
        std::vector<std::string> ufs;
        {
            fb::Transacao t2(c);
            fb::Comando q(t2, "SELECT UF_ID FROM UF WHERE UF_ID <> 'QZ'");
            while (q.proximo()) ufs.push_back(q.coluna(0).texto());
        }
        for (const auto& uf : ufs) {
            GIEntrada e;
            e.UF_ID = uf;
            ZerarCampos(e);
            e.VALORCONTABIL = Dinheiro::deReais(1000);
            grande.giEntrada.push_back(e);
            GISaidas s;
            s.UF_ID = uf;
            ZerarCampos(s);
            grande.giSaidas.push_back(s);
        }
        for (int i = 0; i < 300; ++i) {
            DetalhamentoEntrada m = NovaLinhaDetalhamentoEntrada("N");
            m.CODDRUMUNICIPIO = 900000 + i;
            m.VALOR = Dinheiro::deCentavos(12345 + i);
            grande.detalhamentoEntrada.push_back(m);
        }
        GravarDeclaracao(c, grande);
    }
    ~Base() {
        c.fechar();
        fs::remove_all(pasta);
    }
};

Base& base() {
    static Base b;
    return b;
}

void BM_CarregarDeclaracaoGrande(benchmark::State& state) {
    auto& b = base();
    for (auto _ : state) {
        Declaracao d = CarregarDeclaracao(b.c, 1);
        if (d.detalhamentoEntrada.size() != 300 || d.giEntrada.size() != 27) state.SkipWithError("declaração incompleta");
    }
}
BENCHMARK(BM_CarregarDeclaracaoGrande)->Unit(benchmark::kMillisecond);

// Todas as 354 linhas alteradas a cada gravação: o pior caso.
void BM_GravarDeclaracaoGrandeTudoAlterado(benchmark::State& state) {
    auto& b = base();
    int64_t n = 0;
    for (auto _ : state) {
        for (auto& m : b.grande.detalhamentoEntrada) m.VALOR = Dinheiro::deCentavos(++n);
        for (auto& g : b.grande.giEntrada) g.BASECALCULO = Dinheiro::deCentavos(++n);
        for (auto& g : b.grande.giSaidas) g.OUTRASSAIDAS = Dinheiro::deCentavos(++n);
        b.grande.kov->SAIDAS = Dinheiro::deCentavos(++n);
        GravarDeclaracao(b.c, b.grande);
    }
}
BENCHMARK(BM_GravarDeclaracaoGrandeTudoAlterado)->Unit(benchmark::kMillisecond);

// O caso comum: alguns valores digitados e a declaração gravada.
void BM_GravarDeclaracaoGrandeAlgunsValores(benchmark::State& state) {
    auto& b = base();
    int64_t n = 0;
    for (auto _ : state) {
        b.grande.detalhamentoEntrada[7].VALOR = Dinheiro::deCentavos(++n);
        b.grande.kov->SAIDAS = Dinheiro::deCentavos(++n);
        b.grande.estoque->INITRIBUTADOS = Dinheiro::deCentavos(++n);
        GravarDeclaracao(b.c, b.grande);
    }
}
BENCHMARK(BM_GravarDeclaracaoGrandeAlgunsValores)->Unit(benchmark::kMillisecond);

void BM_Listar10000DeclaracoesDoAno(benchmark::State& state) {
    auto& b = base();
    static bool criadas = false;
    if (!criadas) {
        fb::Transacao tr(b.c);
        fb::Comando::executarDireto(
            tr,
            "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 12000) DO BEGIN "
            "INSERT INTO DOCUMENTO (DOCUMENTO_ID, CONTRIBUINTE_ID, STATUS_ID, REGIME_ID, TIPOCONTRIBUINTE_ID, CNAEF_ID, "
            "DESMEMBRAMENTO, CODDRUMUNICIPIO, TIPORECOLHIMENTO_ID, PERIODO, MESINICIAL, MESFINAL, ESCRITACONTABIL, "
            "SUBSTITUICAO, MUDANCAMUNICIPIO, BAIXA, MUDANCAMUNICIPIOANOCORRENTE) VALUES (100 + :I, 1, MOD(:I, 3), 1, 1, "
            "'4711301', '00', 900000, 0, IIF(:I < 10000, 2015, 2014), 1, 12, 'N', 'N', 'N', 'N', 'N'); "
            "IF (MOD(:I, 7) = 0) THEN INSERT INTO TRANSMISSAO (TRANSMISSAO_ID, DOCUMENTO_ID, TIPOTRANSMISSAO) VALUES "
            "(100 + :I, 100 + :I, 'D'); I = I + 1; END END");
        tr.commit();
        criadas = true;
    }
    for (auto _ : state) {
        auto lista = ListarDeclaracoes(b.c, "2015");
        if (lista.size() != 10000) state.SkipWithError("lista incompleta");
    }
}
BENCHMARK(BM_Listar10000DeclaracoesDoAno)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
