#include "cli/Cli.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <map>

#include "data/Cadastros.h"
#include "data/Consistencia.h"
#include "data/CriarBase.h"
#include "data/ImportacaoCadastros.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "platform/Interacao.h"

namespace kov::cli {

namespace {

const char* AJUDA =
    "kov-cli - PRELO/KOV sem interface gráfica\n"
    "\n"
    "Uso: kov-cli VERBO [ARGUMENTOS]\n"
    "\n"
    "Verbos:\n"
    "  --help, ajuda                 mostra esta ajuda\n"
    "  criar-base CAMINHO [--scripts ARQ.sql...]\n"
    "                                cria uma base nova a partir dos scripts do programa, ou dos\n"
    "                                scripts indicados (recusa sobrescrever um arquivo existente)\n"
    "  atualizar-base [CAMINHO]      confere a versão da base e a atualiza até a versão do programa,\n"
    "                                guardando antes uma cópia do arquivo ao lado dele\n"
    "  versao                        versão do programa, versão da base, ano base e caminho da base\n"
    "  parametro NOME [VALOR]        lê o parâmetro NOME da tabela PARAMETROS ou grava VALOR nele\n"
    "                                (o ano base é o parâmetro ANOEXERCICIO)\n"
    "  contribuintes listar          lista os contribuintes (chave, inscrição, razão social, CNPJ,\n"
    "                                município, tipo, email, responsável), separados por tabulação\n"
    "  contribuintes importar ARQ.csv\n"
    "                                cadastra os contribuintes da planilha (colunas no README);\n"
    "                                linhas recusadas vão para stderr com o número da linha\n"
    "  responsaveis listar           lista os responsáveis (chave, nome, DDD, telefone, email)\n"
    "  responsaveis importar ARQ.csv cadastra os responsáveis da planilha (NOME;DDD;TELEFONE;EMAIL)\n"
    "  declaracoes listar [ANO]      lista as declarações do ano base (ou do ANO): chave, inscrição,\n"
    "                                razão social, exercício, meses, situação da consistência e da\n"
    "                                entrega (T transmitida, D gravada, N não entregue)\n"
    "  declaracoes consistir [ANO | --id N...]\n"
    "                                consiste as declarações do ano base (ou do ANO, ou as de chave\n"
    "                                N) e grava a situação; mostra cada uma (chave, inscrição, razão\n"
    "                                social, Consistente ou Inconsistente) com os seus erros e um\n"
    "                                resumo; código de saída 1 quando alguma tem erros\n"
    "\n"
    "A base usada é a do KOV.ini que está na pasta do kov-cli (chave Database da seção KOV).\n"
    "Falhas são escritas em stderr e o código de saída é diferente de zero (2 para uso\n"
    "incorreto ou arquivo que não serve; na importação, 1 quando alguma linha foi recusada).\n"
    "Na importação, as perguntas das telas (DDD ou telefone vazios) são respondidas \"Sim\".\n";

// Conversa pela linha de comando: mensagens em stderr; perguntas respondidas "sim"
// (o usuário pediu o comando) salvo quando a resposta padrão é configurada.
class InteracaoCli : public Interacao {
public:
    explicit InteracaoCli(std::ostream& err) : err_(err) {}
    void mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) override {
        if (tipo == TipoMensagem::Erro || tipo == TipoMensagem::Aviso) falhas_++;
        err_ << paraTerminal(texto) << "\n";
    }
    void mostrarStatus(const std::string& texto) override { err_ << paraTerminal(texto) << "\n"; }
    bool pergunta(const std::string& titulo, const std::string& texto) override {
        err_ << paraTerminal(texto) << " [Sim]\n";
        return true;
    }
    void erro(const std::string& texto) override {
        falhas_++;
        err_ << paraTerminal(texto) << "\n";
    }
    int falhas() const { return falhas_; }

    // "\r\n" e "\r" dos textos do sistema viram quebras de linha no terminal.
    static std::string paraTerminal(const std::string& t) {
        std::string s;
        for (size_t i = 0; i < t.size(); ++i) {
            if (t[i] == '\r') {
                s += '\n';
                if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
            } else {
                s += t[i];
            }
        }
        return s;
    }

private:
    std::ostream& err_;
    int falhas_ = 0;
};

// Abre o módulo de dados como o programa faz ao iniciar; falso se não ficou utilizável.
bool abrirModulo(Tdm& dm, InteracaoCli& ui) {
    dm.DataModuleCreate();
    return dm.conectado() && !dm.terminacaoSolicitada() && ui.falhas() == 0;
}

int verboCriarBase(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    const bool comScripts = a.size() > 3 && a[2] == "--scripts";
    if (a.size() != 2 && !comScripts) {
        err << "Uso: kov-cli criar-base CAMINHO [--scripts ARQ.sql...]\n";
        return 2;
    }
    if (comScripts) {
        std::vector<ScriptArquivo> scripts;
        for (size_t i = 3; i < a.size(); ++i) {
            std::ifstream f(a[i], std::ios::binary);
            if (!f) {
                err << "Arquivo não encontrado: " << a[i] << "\n";
                return 1;
            }
            std::stringstream ss;
            ss << f.rdbuf();
            scripts.push_back({a[i], ss.str()});
        }
        criarBase(a[1], scripts);
    } else {
        criarBase(a[1]);
    }
    out << "Base criada: " << a[1] << "\n";
    return 0;
}

int verboAtualizarBase(const std::vector<std::string>& a, std::ostream& out, std::ostream& err,
                       const std::string& dir) {
    if (a.size() > 2) {
        err << "Uso: kov-cli atualizar-base [CAMINHO]\n";
        return 2;
    }
    InteracaoCli ui(err);
    Tdm dm(ui, dir);
    if (a.size() == 2) dm.definirBanco(a[1]);
    if (!abrirModulo(dm, ui)) return 1;
    out << "Base na versão " << dm.LerVersaoBanco() << ": " << dm.caminhoBanco() << "\n";
    return 0;
}

int verboVersao(const std::vector<std::string>& a, std::ostream& out, std::ostream& err, const std::string& dir) {
    InteracaoCli ui(err);
    Tdm dm(ui, dir);
    out << "Programa: " << VersaoSistema(dm.ConfigApp) << "\n";
    if (!abrirModulo(dm, ui)) return 1;
    out << "Base: " << dm.LerVersaoBanco() << "\n";
    out << "Ano Base: " << dm.LerParametro("ANOEXERCICIO") << "\n";
    out << "Caminho Banco: " << dm.caminhoBanco() << "\n";
    return 0;
}

int verboParametro(const std::vector<std::string>& a, std::ostream& out, std::ostream& err, const std::string& dir) {
    if (a.size() < 2 || a.size() > 3) {
        err << "Uso: kov-cli parametro NOME [VALOR]\n";
        return 2;
    }
    InteracaoCli ui(err);
    Tdm dm(ui, dir);
    if (!abrirModulo(dm, ui)) return 1;
    if (a.size() == 3) {
        dm.GravarParametro(a[1], a[2]);
    } else {
        out << dm.LerParametro(a[1]) << "\n";
    }
    return 0;
}

// Campo da listagem: tabulações e quebras de linha viram espaço, uma linha por registro.
std::string campoLista(const std::string& s) {
    std::string r = s;
    for (char& ch : r)
        if (ch == '\t' || ch == '\n' || ch == '\r') ch = ' ';
    return r;
}

std::string opcional(const std::optional<int>& v) { return v ? std::to_string(*v) : std::string(); }

int verboCadastro(TipoCadastro tipo, const std::vector<std::string>& a, std::ostream& out, std::ostream& err,
                  const std::string& dir) {
    const bool listar = a.size() == 2 && a[1] == "listar";
    const bool importar = a.size() == 3 && a[1] == "importar";
    if (!listar && !importar) {
        err << "Uso: kov-cli " << a[0] << " listar\n     kov-cli " << a[0] << " importar ARQUIVO.csv\n";
        return 2;
    }
    PlanilhaCadastro planilha;
    if (importar) {
        // O arquivo e o cabeçalho são conferidos antes de abrir a base
        try {
            planilha = LerPlanilha(LerArquivoCSV(a[2]), tipo);
        } catch (const ErroArquivoCSV& e) {
            err << e.what() << "\n";
            return 2;
        }
    }
    InteracaoCli ui(err);
    Tdm dm(ui, dir);
    if (!abrirModulo(dm, ui)) return 1;
    if (importar) {
        const auto r = tipo == TipoCadastro::Contribuintes ? ImportarContribuintes(dm.MainConnection, planilha, ui)
                                                           : ImportarResponsaveis(dm.MainConnection, planilha, ui);
        out << ResumoImportacao(r) << "\n";
        return r.recusados > 0 ? 1 : 0;
    }
    if (tipo == TipoCadastro::Contribuintes) {
        for (const auto& l : ListarContribuintes(dm.MainConnection))
            out << l.c.CONTRIBUINTE_ID << '\t' << campoLista(l.c.INSCESTADUAL) << '\t' << campoLista(l.c.RAZAOSOCIAL)
                << '\t' << campoLista(l.c.CNPJ) << '\t' << campoLista(l.DESCRICAO_MUNICIPIO) << '\t'
                << campoLista(l.TITULO_TIPO) << '\t' << campoLista(l.c.EMAIL) << '\t' << opcional(l.c.RESPONSAVEL_ID)
                << "\n";
    } else {
        for (const auto& r : ListarResponsaveis(dm.MainConnection))
            out << r.RESPONSAVEL_ID << '\t' << campoLista(r.NOME) << '\t' << campoLista(r.DDD) << '\t'
                << campoLista(r.TELEFONE) << '\t' << campoLista(r.EMAIL) << "\n";
    }
    return 0;
}

const char* USO_DECLARACOES = "Uso: kov-cli declaracoes listar [ANO]\n     kov-cli declaracoes consistir [ANO | --id N...]\n";

bool inteiroPositivo(const std::string& s, int& n) {
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    n = std::stoi(s);
    return n > 0;
}

std::string plural(size_t n, const char* singular, const char* plural) {
    return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

// Consiste um lote de declarações: as listas de erros são esvaziadas no começo, como
// em todo lote novo; cada declaração sai com a sua situação e os seus erros.
int verboConsistir(const std::vector<std::string>& a, std::ostream& out, std::ostream& err, const std::string& dir) {
    std::vector<int> chaves;
    std::string ano;
    const bool porChave = a.size() > 2 && a[2] == "--id";
    if (porChave) {
        for (size_t i = 3; i < a.size(); ++i) {
            if (a[i] == "--id") continue;
            int n = 0;
            if (!inteiroPositivo(a[i], n)) {
                err << "Chave de declaração inválida: " << a[i] << "\n" << USO_DECLARACOES;
                return 2;
            }
            chaves.push_back(n);
        }
        if (chaves.empty()) {
            err << USO_DECLARACOES;
            return 2;
        }
    } else if (a.size() == 3) {
        int n = 0;
        if (!inteiroPositivo(a[2], n)) {
            err << "Ano inválido: " << a[2] << "\n" << USO_DECLARACOES;
            return 2;
        }
        ano = a[2];
    } else if (a.size() > 3) {
        err << USO_DECLARACOES;
        return 2;
    }
    InteracaoCli ui(err);
    Tdm dm(ui, dir);
    if (!abrirModulo(dm, ui)) return 1;
    if (!porChave) {
        if (ano.empty()) ano = dm.LerParametro("ANOEXERCICIO");
        for (const auto& d : ListarDeclaracoes(dm.MainConnection, ano)) chaves.push_back(d.DOCUMENTO_ID);
    }
    if (chaves.empty()) {
        out << "Nenhuma declaração para consistir.\n";
        return 0;
    }
    ListasConsistencia listas;
    listas.esvaziar();
    size_t consistentes = 0, inconsistentes = 0, falhas = 0;
    for (int chave : chaves) {
        int status = 0;
        const size_t antes = listas.cdsErros.size();  // mostra só os erros desta consistência
        try {
            status = ConsistirDocumento(dm, chave, listas);
        } catch (const Abortar&) {
            ++falhas;
            continue;
        } catch (const std::exception& e) {
            err << "Declaração " << chave << " não consistida: " << InteracaoCli::paraTerminal(e.what()) << "\n";
            ++falhas;
            continue;
        }
        const auto& doc = listas.cdsDocumentosErros;
        auto linha = std::find_if(doc.begin(), doc.end(), [&](const LinhaDocumentoErros& l) { return l.Documento == chave; });
        out << chave << '\t' << campoLista(linha->IEContribuinte) << '\t' << campoLista(linha->Contribuinte) << '\t'
            << (status == STATUS_CONSISTENTE ? "Consistente" : "Inconsistente") << "\n";
        for (size_t i = antes; i < listas.cdsErros.size(); ++i)
            out << "  " << listas.cdsErros[i].Erro << ' ' << campoLista(listas.cdsErros[i].Mensagem) << "\n";
        (status == STATUS_CONSISTENTE ? consistentes : inconsistentes)++;
    }
    out << plural(consistentes + inconsistentes, "declaração consistida", "declarações consistidas") << ": "
        << plural(consistentes, "consistente", "consistentes") << ", "
        << plural(inconsistentes, "inconsistente", "inconsistentes");
    if (falhas > 0) out << ", " << plural(falhas, "não consistida", "não consistidas");
    out << ".\n";
    return inconsistentes > 0 || falhas > 0 ? 1 : 0;
}

int verboDeclaracoes(const std::vector<std::string>& a, std::ostream& out, std::ostream& err, const std::string& dir) {
    if (a.size() >= 2 && a[1] == "consistir") return verboConsistir(a, out, err, dir);
    if (a.size() < 2 || a.size() > 3 || a[1] != "listar") {
        err << USO_DECLARACOES;
        return 2;
    }
    InteracaoCli ui(err);
    Tdm dm(ui, dir);
    if (!abrirModulo(dm, ui)) return 1;
    const std::string ano = a.size() == 3 ? a[2] : dm.LerParametro("ANOEXERCICIO");
    for (const auto& d : ListarDeclaracoes(dm.MainConnection, ano))
        out << d.DOCUMENTO_ID << '\t' << campoLista(d.INSCESTADUAL) << '\t' << campoLista(d.RAZAOSOCIAL) << '\t'
            << d.PERIODO << '\t' << NomeMes(d.MESINICIAL) << '\t' << NomeMes(d.MESFINAL) << '\t'
            << campoLista(d.DESCRICAO_STATUS) << '\t' << d.SITUACAO << "\n";
    return 0;
}

}  // namespace

int executar(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& dir) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "ajuda") {
        (args.empty() ? err : out) << AJUDA;
        return args.empty() ? 2 : 0;
    }
    try {
        const std::string& v = args[0];
        if (v == "criar-base") return verboCriarBase(args, out, err);
        if (v == "versao") return verboVersao(args, out, err, dir);
        if (v == "atualizar-base") return verboAtualizarBase(args, out, err, dir);
        if (v == "parametro") return verboParametro(args, out, err, dir);
        if (v == "contribuintes") return verboCadastro(TipoCadastro::Contribuintes, args, out, err, dir);
        if (v == "responsaveis") return verboCadastro(TipoCadastro::Responsaveis, args, out, err, dir);
        if (v == "declaracoes") return verboDeclaracoes(args, out, err, dir);
        err << "Verbo desconhecido: " << v << "\nUse kov-cli --help para ver os verbos.\n";
        return 2;
    } catch (const Abortar&) {
        return 1;
    } catch (const std::exception& e) {
        err << InteracaoCli::paraTerminal(e.what()) << "\n";
        return 1;
    }
}

int executar(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return executar(args, std::cout, std::cerr);
}

}  // namespace kov::cli
