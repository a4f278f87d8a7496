// O agregado da declaração: carregar (meta: menos de 5 ms) e gravar (menos de 20 ms) uma
// declaração com 300 linhas de outras entradas por município e 27 linhas de GI em cada
// sentido; listar as 10.000 declarações de um ano base (menos de 200 ms). Na base comum dos
// benchmarks (DeclaracaoGrande.h), com mais 12.000 declarações de outros anos.
#include <benchmark/benchmark.h>

#include "DeclaracaoGrande.h"
#include "data/LinhasBanco.h"

using namespace kov;

namespace {

bench::DeclaracaoGrande& base() {
    static bench::DeclaracaoGrande b("kov-bench-decl-");
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
        for (auto& m : b.d.detalhamentoEntrada) m.VALOR = Dinheiro::deCentavos(++n);
        for (auto& g : b.d.giEntrada) g.BASECALCULO = Dinheiro::deCentavos(++n);
        for (auto& g : b.d.giSaidas) g.OUTRASSAIDAS = Dinheiro::deCentavos(++n);
        b.d.kov->SAIDAS = Dinheiro::deCentavos(++n);
        GravarDeclaracao(b.c, b.d);
    }
}
BENCHMARK(BM_GravarDeclaracaoGrandeTudoAlterado)->Unit(benchmark::kMillisecond);

// O caso comum: alguns valores digitados e a declaração gravada.
void BM_GravarDeclaracaoGrandeAlgunsValores(benchmark::State& state) {
    auto& b = base();
    int64_t n = 0;
    for (auto _ : state) {
        b.d.detalhamentoEntrada[7].VALOR = Dinheiro::deCentavos(++n);
        b.d.kov->SAIDAS = Dinheiro::deCentavos(++n);
        b.d.estoque->INITRIBUTADOS = Dinheiro::deCentavos(++n);
        GravarDeclaracao(b.c, b.d);
    }
}
BENCHMARK(BM_GravarDeclaracaoGrandeAlgunsValores)->Unit(benchmark::kMillisecond);

void BM_Listar10000DeclaracoesDoAno(benchmark::State& state) {
    auto& b = base();
    for (auto _ : state) {
        auto lista = ListarDeclaracoes(b.c, "2015");
        if (lista.size() != 10000) state.SkipWithError("lista incompleta");
    }
}
BENCHMARK(BM_Listar10000DeclaracoesDoAno)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
