// O arquivo de declaração: escrever uma declaração com 300 linhas de outras entradas por
// município, 27 linhas de GI em cada sentido e três entregas com recibo, às claras e cifrada
// (meta: menos de 20 ms cada); conferir o verificador do arquivo escrito; decifrar o bloco;
// restaurar o arquivo cifrado (meta: menos de 20 ms).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "data/CriarBase.h"
#include "data/Declaracao.h"
#include "data/LinhasBanco.h"
#include "data/ReciboTexto.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"
#include "files/untGeraXmlKOV.h"
#include "files/untRestauraXmlKOV.h"
#include "platform/Interacao.h"
#include "platform/Memoria.h"

#include "DeclaracaoGrande.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

class InteracaoMuda : public Interacao {
public:
    void mensagem(TipoMensagem, const std::string&, const std::string& texto) override { ultima = texto; }
    bool pergunta(const std::string&, const std::string&) override { return true; }
    std::string ultima;
};

struct Base : bench::DeclaracaoGrande {
    InteracaoMuda ui;
    Base() : DeclaracaoGrande("kov-bench-arq-") { GravarParChavesRSA(GerarParChavesRSA(), pasta.string()); }
    ContextoArquivo ctx() { return {c, ui, "7.07.10", pasta.string()}; }
};

Base& base() {
    static Base b;
    return b;
}

void gerar(benchmark::State& state, bool cifrar) {
    auto& b = base();
    const std::string caminho = (b.pasta / (cifrar ? "cifrado.xml" : "claro.xml")).string();
    for (auto _ : state) GerarArquivoDeclaracao(b.d, b.ctx(), caminho, cifrar);
    state.counters["bytes"] = static_cast<double>(fs::file_size(caminho));
}

void BM_GerarArquivo300Municipios(benchmark::State& state) { gerar(state, false); }
BENCHMARK(BM_GerarArquivo300Municipios)->Unit(benchmark::kMillisecond);

void BM_GerarArquivo300MunicipiosCifrado(benchmark::State& state) { gerar(state, true); }
BENCHMARK(BM_GerarArquivo300MunicipiosCifrado)->Unit(benchmark::kMillisecond);

void BM_ConferirVerificador300Municipios(benchmark::State& state) {
    auto& b = base();
    const std::string caminho = (b.pasta / "conferir.xml").string();
    GerarArquivoDeclaracao(b.d, b.ctx(), caminho, false);
    for (auto _ : state)
        if (!ConferirVerificador(caminho, b.ui)) state.SkipWithError("verificador não confere");
}
BENCHMARK(BM_ConferirVerificador300Municipios)->Unit(benchmark::kMillisecond);

void BM_DecifrarBloco300Municipios(benchmark::State& state) {
    auto& b = base();
    const std::string caminho = (b.pasta / "decifrar.xml").string();
    GerarArquivoDeclaracao(b.d, b.ctx(), caminho, true);
    const DocumentoXml doc = LerArquivoXml(caminho);
    const std::string texto = TextoElemento(FilhoElemento(doc.raiz(), "dados"));
    for (auto _ : state)
        if (DecifrarTexto(texto, b.pasta.string(), b.ui).empty()) state.SkipWithError(b.ui.ultima.c_str());
}
BENCHMARK(BM_DecifrarBloco300Municipios)->Unit(benchmark::kMillisecond);

// Restaurar o arquivo cifrado: decifrar, montar e ler a cópia de trabalho e gravar numa transação.
// "Nova": a declaração não está na base (tudo é inserido); "Substituida": a mesma declaração já
// está na base e só o que mudou é escrito.
void restaurar(benchmark::State& state, bool nova) {
    auto& b = base();
    const std::string caminho = (b.pasta / "restaurar.xml").string();
    GerarArquivoDeclaracao(b.d, b.ctx(), caminho, true);
    const ContextoRestauracao ctx{b.c, b.ui, b.pasta.string(), 2026};
    std::optional<int> chave = b.d.doc.DOCUMENTO_ID;
    for (auto _ : state) {
        if (nova) {
            state.PauseTiming();
            ExcluirDeclaracao(b.c, *chave);
            state.ResumeTiming();
        }
        chave = ImportarArquivoDeclaracao(ctx, caminho);
        if (!chave) {
            state.SkipWithError(b.ui.ultima.c_str());
            break;
        }
    }
    b.d = CarregarDeclaracao(b.c, *chave);
}

void BM_RestaurarArquivo300MunicipiosNova(benchmark::State& state) { restaurar(state, true); }
BENCHMARK(BM_RestaurarArquivo300MunicipiosNova)->Unit(benchmark::kMillisecond);

void BM_RestaurarArquivo300MunicipiosSubstituida(benchmark::State& state) { restaurar(state, false); }
BENCHMARK(BM_RestaurarArquivo300MunicipiosSubstituida)->Unit(benchmark::kMillisecond);

}  // namespace

// O mesmo ajuste de memória dos programas
int main(int argc, char** argv) {
    kov::AjustarAlocadorMemoria();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
