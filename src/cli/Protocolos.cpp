// Verbos da captura de protocolos: protocolos listar e protocolos capturar, o fluxo da tela
// de protocolos sem a tela (a pasta vem na linha de comando, as linhas escolhidas pelo número).
#include <algorithm>
#include <filesystem>
#include <utility>

#include "cli/Comum.h"
#include "data/dmPrincipal.h"
#include "delivery/untCaptura.h"

namespace kov::cli {

namespace {

// A pasta da linha de comando responde à primeira escolha; a segunda (a pasta não tinha
// protocolos e seria pedida de novo) é a desistência.
class InteracaoProtocolosCli : public InteracaoCli {
public:
    InteracaoProtocolosCli(std::ostream& err, std::string pasta) : InteracaoCli(err), pasta_(std::move(pasta)) {}
    std::string escolherPasta(const std::string&, const std::string&) override { return std::exchange(pasta_, {}); }

private:
    std::string pasta_;
};

// Abre o módulo e lê a pasta; falso (e a mensagem) quando não há o que mostrar.
bool carregar(Tdm& dm, InteracaoProtocolosCli& ui, CapturaProtocolos& cap) {
    if (!abrirModulo(dm, ui)) return false;
    return cap.CarregarProtocolos();
}

int listarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.size() != 1) return usoIncorreto(v, c);
    std::error_code ec;
    if (!std::filesystem::is_directory(a[0], ec)) {
        c.err << "Pasta não encontrada: " << a[0] << "\n";
        return USO_INCORRETO;
    }
    InteracaoProtocolosCli ui(c.err, a[0]);
    Tdm dm(ui, c.dir);
    CapturaProtocolos cap(dm, ModoCaptura::Captura);
    if (!carregar(dm, ui, cap)) return 1;
    cabecalhoLista(c, std::vector<std::string>(TITULOS_GRADE_PROTOCOLOS, TITULOS_GRADE_PROTOCOLOS + 6));
    for (const auto& linha : cap.grade()) {
        for (size_t i = 0; i < linha.size(); ++i) c.out << (i ? "\t" : "") << linha[i];
        c.out << "\n";
    }
    return 0;
}

int capturarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.empty()) return usoIncorreto(v, c);
    bool todos = false;
    std::vector<int> linhas;
    for (size_t i = 1; i < a.size(); ++i) {
        int n = 0;
        if (a[i] == "--todos") todos = true;
        else if (inteiroPositivo(a[i], n)) linhas.push_back(n);
        else return usoIncorreto(v, c, "Argumento inválido: " + a[i]);
    }
    if (todos == !linhas.empty()) return usoIncorreto(v, c, "Informe --todos ou os números das linhas.");
    std::error_code ec;
    if (!std::filesystem::is_directory(a[0], ec)) {
        c.err << "Pasta não encontrada: " << a[0] << "\n";
        return USO_INCORRETO;
    }
    InteracaoProtocolosCli ui(c.err, a[0]);
    ui.informacoesEm(c.out);
    Tdm dm(ui, c.dir);
    CapturaProtocolos cap(dm, ModoCaptura::Captura);
    if (!carregar(dm, ui, cap)) return 1;
    // As linhas pedidas pelo número da listagem, identificadas antes de a lista encolher
    std::vector<std::string> pedidas;
    if (todos) pedidas = cap.encontradas();
    for (int n : linhas) {
        if (static_cast<size_t>(n) > cap.encontradas().size()) {
            c.err << "Linha inexistente: " << n << "\n";
            return USO_INCORRETO;
        }
        pedidas.push_back(cap.encontradas()[static_cast<size_t>(n) - 1]);
    }
    int falhas = 0;
    for (const auto& linha : pedidas) {
        const auto& e = cap.encontradas();
        const auto it = std::find(e.begin(), e.end(), linha);
        if (it == e.end()) continue;  // pedida duas vezes
        cap.selecionar(static_cast<int>(it - e.begin()));
        const CamposProtocolo campos = CamposDaLinha(linha);
        try {
            if (cap.actCapturarExecute())
                c.out << campos.inscricao << "\t" << campos.numero << "\tcapturado\n";
            else
                ++falhas;
        } catch (const std::exception& ex) {
            ui.erro(ex.what());
            ++falhas;
        }
    }
    return falhas ? 1 : 0;
}

}  // namespace

void verbosProtocolos(std::vector<Verbo>& v) {
    v.push_back({"protocolos", "listar", "PASTA",
                 "Lista os protocolos dos arquivos de declaração devolvidos pelo transmissor (KOV*.xml da\n"
                 "PASTA) que pertencem a declarações da base: número da linha, inscrição, período,\n"
                 "protocolo, data e hora da entrega. Os arquivos são conferidos em cópias e nunca alterados.",
                 listarVerbo});
    v.push_back({"protocolos", "capturar", "PASTA (--todos | LINHA...)",
                 "Captura os protocolos das linhas indicadas (números da listagem de 'protocolos listar')\n"
                 "ou de todas: a gravação (D) da declaração vira entrega (T) com o protocolo, a data, a\n"
                 "hora e o recibo. Uma declaração já transmitida é recusada. Saída 0 só quando todas as\n"
                 "linhas pedidas foram capturadas.",
                 capturarVerbo});
}

}  // namespace kov::cli
