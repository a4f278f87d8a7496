// Cópia de segurança e restauração da base inteira sobre uma instalação com 10.000
// declarações que o benchmark monta: a cópia (imagem consistente sob a trava de cópia física,
// conferida e compactada) e a restauração (extração, reconstrução pelo gbak, troca e
// verificação da versão). A conexão do programa nunca fica parada: sob a trava a base
// continua aceitando gravações, que vão para o arquivo .delta.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "data/CriarBase.h"
#include "data/Declaracao.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "delivery/untBackup.h"
#include "platform/Interacao.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

constexpr int DECLARACOES = 10000;

class InteracaoMuda : public Interacao {
public:
    int erros = 0;
    void mensagem(TipoMensagem tipo, const std::string&, const std::string&) override {
        if (tipo == TipoMensagem::Erro) ++erros;
    }
    bool pergunta(const std::string&, const std::string&) override { return true; }
};

struct Instalacao {
    fs::path raiz = fs::temp_directory_path() / ("kov-bench-backup-" + std::to_string(std::random_device{}()));
    InteracaoMuda ui;
    std::unique_ptr<Tdm> dm;
    std::string zip;

    Instalacao() {
        fs::create_directories(raiz / "EXE");
        fs::create_directories(raiz / "BD");
        std::ofstream(raiz / "EXE" / "KOV.ini") << "[KOV]\nDatabase=..\\BD\\KOV.GDB\n";
        criarBase((raiz / "BD" / "KOV.GDB").string());
        dm = std::make_unique<Tdm>(ui, (raiz / "EXE").string());
        dm->DataModuleCreate();
        if (!dm->conectado()) throw std::runtime_error("o módulo de dados não abriu");
        fb::Conexao& c = dm->MainConnection;
        int municipio = 0;
        {
            fb::Transacao tr(c);
            fb::Comando m(tr, "SELECT MIN(CODDRUMUNICIPIO) FROM MUNICIPIO");
            m.proximo();
            municipio = static_cast<int>(m.coluna(0).inteiro());
            fb::Comando::executarDireto(
                tr, "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " + std::to_string(DECLARACOES) +
                        ") DO BEGIN INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, "
                        "CODDRUMUNICIPIO, UF_ID, TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, CNPJ) VALUES "
                        "(:I, '4711301', '00', " + std::to_string(municipio) +
                        ", 'QZ', 1, 'Contribuinte ' || :I, '12345678', '1234567890107', '12345678000199'); "
                        "I = I + 1; END END");
            tr.commit();
        }
        // Em lotes de 500 por transação: cada transação custa escritas síncronas no disco
        for (int i = 1; i <= DECLARACOES;) {
            fb::Transacao tr(c);
            for (int n = 0; n < 500 && i <= DECLARACOES; ++n, ++i) {
                Declaracao d = NovaDeclaracao("2016");
                d.doc.DOCUMENTO_ID = i;
                d.doc.CONTRIBUINTE_ID = i;
                d.doc.REGIME_ID = 1;
                d.doc.TIPOCONTRIBUINTE_ID = 1;
                d.doc.CNAEF_ID = "4711301";
                d.doc.DESMEMBRAMENTO = "00";
                d.doc.CODDRUMUNICIPIO = municipio;
                d.doc.MESINICIAL = 1;
                d.doc.MESFINAL = 12;
                CriarSecoesQueFaltam(d);
                for (auto& l : d.detalhamentoES) l.VCCOMPRAVENDA = Dinheiro::deReais(1000 + i);
                EscreverDeclaracao(tr, d);
            }
            tr.commit();
        }
    }
    ~Instalacao() {
        dm.reset();
        fs::remove_all(raiz);
    }
};

Instalacao& instalacao() {
    static Instalacao i;
    return i;
}

void BM_BackupBase10000Declaracoes(benchmark::State& state) {
    auto& inst = instalacao();
    TBackup b(*inst.dm, inst.ui);
    const std::string pasta = (inst.raiz / "backup").string();
    for (auto _ : state) {
        inst.zip = b.GerarBackupBase(pasta, true);
        if (inst.zip.empty() || inst.ui.erros) state.SkipWithError("cópia não gravada");
    }
    state.counters["base_MB"] = static_cast<double>(fs::file_size(inst.raiz / "BD" / "KOV.GDB")) / 1e6;
    if (!inst.zip.empty()) state.counters["zip_MB"] = static_cast<double>(fs::file_size(inst.zip)) / 1e6;
}
BENCHMARK(BM_BackupBase10000Declaracoes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RestaurarBase10000Declaracoes(benchmark::State& state) {
    auto& inst = instalacao();
    TBackup b(*inst.dm, inst.ui);
    if (inst.zip.empty()) inst.zip = b.GerarBackupBase((inst.raiz / "backup").string(), true);
    for (auto _ : state) {
        if (b.ExecutarRestauracao(inst.zip) != FimRestauracao::Restaurada || inst.ui.erros)
            state.SkipWithError("restauração falhou");
    }
    auto tr = fb::Transacao::leitura(inst.dm->MainConnection);
    fb::Comando q(tr, "SELECT COUNT(*) FROM DOCUMENTO");
    q.proximo();
    if (q.coluna(0).inteiro() != DECLARACOES) state.SkipWithError("declarações perdidas na restauração");
}
BENCHMARK(BM_RestaurarBase10000Declaracoes)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
