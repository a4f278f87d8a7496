// Verbo de impressão: os formulários das declarações gravados em PDF, um arquivo por
// formulário produzido.
#include <QGuiApplication>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>

#include "cli/Comum.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "reports/DadosImpressao.h"
#include "reports/Formularios.h"
#include "reports/Recibo.h"
#include "data/Cadastros.h"
#include "data/Entregas.h"
#include "data/fb/Transacao.h"

namespace kov::cli {

namespace {

using relatorios::TipoFormulario;

// Os formulários usam as fontes e o desenho do Qt, que pedem uma aplicação de interface:
// o kov-cli cria uma sem tela (plataforma offscreen) só enquanto imprime.
std::unique_ptr<QGuiApplication> aplicacaoSemTela() {
    if (QCoreApplication::instance()) return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char nome[] = "kov-cli";
    static char* argv[] = {nome, nullptr};
    // Avisos internos do Qt (pasta de execução, plataforma) não são mensagens do kov-cli
    qInstallMessageHandler([](QtMsgType tipo, const QMessageLogContext&, const QString& texto) {
        if (tipo == QtCriticalMsg || tipo == QtFatalMsg) std::cerr << texto.toStdString() << "\n";
    });
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Só letras e dígitos da inscrição entram no nome do arquivo.
std::string paraNomeArquivo(const std::string& s) {
    std::string r;
    for (char ch : s)
        if ((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z')) r += ch;
    return r;
}

bool lerFormularios(const std::string& lista, std::set<TipoFormulario>& marcados, std::string& invalido) {
    size_t i = 0;
    while (i <= lista.size()) {
        const size_t f = std::min(lista.find(',', i), lista.size());
        const std::string nome = lista.substr(i, f - i);
        auto t = relatorios::FormularioPeloNome(nome);
        if (!t) {
            invalido = nome;
            return false;
        }
        marcados.insert(*t);
        i = f + 1;
    }
    return !marcados.empty();
}

int imprimirVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    std::vector<int> chaves;
    std::string pasta;
    std::set<TipoFormulario> marcados;
    bool escolheu = false;
    for (size_t i = 0; i < a.size(); ++i) {
        int n = 0;
        if (a[i] == "--saida" && i + 1 < a.size() && pasta.empty()) {
            pasta = a[++i];
        } else if (a[i] == "--formularios" && i + 1 < a.size() && !escolheu) {
            std::string invalido;
            if (!lerFormularios(a[++i], marcados, invalido))
                return usoIncorreto(v, c, "Formulário desconhecido: " + invalido);
            escolheu = true;
        } else if (inteiroPositivo(a[i], n)) {
            chaves.push_back(n);
        } else {
            return usoIncorreto(v, c, "Argumento inválido: " + a[i]);
        }
    }
    if (chaves.empty()) return usoIncorreto(v, c, "Nenhuma declaração informada.");
    if (pasta.empty()) return usoIncorreto(v, c, "Pasta não informada (--saida PASTA).");
    if (!escolheu) marcados.insert(relatorios::TodosFormularios().begin(), relatorios::TodosFormularios().end());
    if (!criarPasta(pasta, c)) return 1;
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    const auto app = aplicacaoSemTela();
    size_t produzidos = 0, falhas = 0;
    for (int chave : chaves) {
        try {
            const auto dados = relatorios::CarregarDadosImpressao(dm, chave);
            const auto formularios = relatorios::MontarFormularios(dados, marcados);
            if (formularios.empty()) c.err << "Declaração " << chave << ": nenhum formulário a imprimir.\n";
            for (const auto& f : formularios) {
                const std::string caminho = IncluirBarra(pasta) + std::to_string(chave) + "-" +
                                            paraNomeArquivo(dados.contribuinte.INSCESTADUAL) + "-" +
                                            relatorios::NomeFormulario(f.tipo) + ".pdf";
                f.relatorio.gravarPdf(caminho);
                c.out << chave << '\t' << relatorios::NomeFormulario(f.tipo) << '\t' << f.relatorio.paginas() << '\t'
                      << caminho << "\n";
                ++produzidos;
            }
        } catch (const Abortar&) {
            ++falhas;
        } catch (const std::exception& e) {
            c.err << "Declaração " << chave << " não impressa: " << InteracaoCli::paraTerminal(e.what()) << "\n";
            ++falhas;
        }
    }
    return produzidos == 0 || falhas > 0 ? 1 : 0;
}

}  // namespace

// O recibo de uma entrega da declaração: a do protocolo pedido ou a última com protocolo.
int reciboPdf(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    int chave = 0;
    std::string pdf, protocolo;
    for (size_t i = 0; i < a.size(); ++i) {
        int n = 0;
        if (a[i] == "--pdf" && i + 1 < a.size() && pdf.empty()) pdf = a[++i];
        else if (a[i] == "--protocolo" && i + 1 < a.size() && protocolo.empty()) protocolo = a[++i];
        else if (chave == 0 && inteiroPositivo(a[i], n)) chave = n;
        else return usoIncorreto(v, c, "Argumento inválido: " + a[i]);
    }
    if (chave == 0) return usoIncorreto(v, c, "Nenhuma declaração informada.");
    if (pdf.empty()) return usoIncorreto(v, c, "Arquivo não informado (--pdf ARQ.pdf).");
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    std::optional<Entrega> escolhida;
    try {
        auto tr = fb::Transacao::leitura(dm.MainConnection);
        for (const auto& e : RecibosDaDeclaracao(tr, chave))
            if (protocolo.empty() || Aparar(e.PROTOCOLO) == Aparar(protocolo)) escolhida = e;  // a última
        tr.commit();
    } catch (const std::exception& e) {
        ui.erro(e.what());
        return 1;
    }
    if (!escolhida) {
        ui.erro(protocolo.empty() ? "Não existe recibo para esta declaração!"
                                  : "Não existe recibo com o protocolo " + protocolo + " para esta declaração!");
        return 1;
    }
    const auto app = aplicacaoSemTela();
    try {
        relatorios::TscrRptRecibo recibo(*escolhida, QString::fromStdString(VersaoSistema(dm.ConfigApp)));
        recibo.relatorio().gravarPdf(pdf);
        c.out << chave << '\t' << Aparar(escolhida->PROTOCOLO) << '\t' << recibo.relatorio().paginas() << '\t' << pdf
              << "\n";
    } catch (const std::exception& e) {
        ui.erro(e.what());
        return 1;
    }
    return 0;
}

void verbosRelatorios(std::vector<Verbo>& v) {
    v.push_back({"declaracoes", "imprimir", "N... [--formularios LISTA] --saida PASTA",
                 "Grava em PDF os formulários impressos das declarações de chaves N.\n"
                 "LISTA, separada por vírgulas, escolhe entre prelo, entradas, saidas, kov, kov-outras e gi\n"
                 "(sem --formularios, todos). Como na tela de relatórios: a PRELO é a de débito/crédito nos\n"
                 "regimes 1, 2 e 4 e a simplificada nos 5 e 6; entradas e saídas só nos regimes 1, 2 e 4;\n"
                 "outras entradas e GI só quando têm linhas. Um arquivo por formulário produzido, chamado\n"
                 "CHAVE-INSCRICAO-FORMULARIO.pdf; uma linha por arquivo na saída: chave, formulário,\n"
                 "páginas e caminho. Saída 1 quando nada pôde ser produzido ou alguma declaração falhou.",
                 imprimirVerbo});
}

}  // namespace kov::cli
