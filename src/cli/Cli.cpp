#include "cli/Cli.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>

#include "cli/Comum.h"
#include "platform/InstalacaoUsuario.h"
#include "platform/Interacao.h"

namespace kov::cli {

namespace {

const std::vector<Verbo>& verbos() {
    static const std::vector<Verbo> lista = [] {
        std::vector<Verbo> v;
        verbosBase(v);
        verbosCadastros(v);
        verbosDeclaracoes(v);
        verbosEdicaoDeclaracoes(v);
        verbosRelatorios(v);
        verbosEntrega(v);
        verbosProtocolos(v);
        verbosArquivos(v);
        verbosReferencias(v);
        verbosBackup(v);
        return v;
    }();
    return lista;
}

bool pedeAjuda(const std::string& a) { return a == "--help" || a == "-h" || a == "ajuda"; }

// Primeira linha do texto de ajuda, para a lista geral.
std::string resumo(const std::string& ajuda) { return ajuda.substr(0, ajuda.find('\n')); }

void ajudaGeral(std::ostream& o) {
    o << "kov-cli - PRELO/KOV sem interface gráfica\n\n"
         "Uso: kov-cli VERBO [ARGUMENTOS]\n"
         "     kov-cli SUBSTANTIVO VERBO [ARGUMENTOS]\n"
         "     kov-cli ... --help      ajuda de um verbo\n\n"
         "Verbos:\n";
    for (const auto& v : verbos()) {
        std::string linha = v.comando() + (v.uso.empty() ? "" : " " + v.uso);
        o << "  " << linha << "\n      " << resumo(v.ajuda) << "\n";
    }
    o << "\nA base usada é a do KOV.ini que está na pasta do kov-cli (chave Database da seção KOV; numa\n"
         "base servida por um servidor Firebird, as chaves Usuario e Senha dão o usuário com que se entra).\n"
         "Falhas são escritas em stderr e o código de saída é diferente de zero: 1 para falhas do\n"
         "sistema, 2 para uso incorreto, nome desconhecido ou arquivo de entrada ausente.\n";
}

void ajudaVerbo(const Verbo& v, std::ostream& o) { o << v.linhaUso() << "\n\n" << v.ajuda << "\n"; }

int rodarVerbo(const Verbo& v, std::vector<std::string> args, Contexto& c) {
    if (std::any_of(args.begin(), args.end(), pedeAjuda)) {
        ajudaVerbo(v, c.out);
        return 0;
    }
    return v.rodar(v, args, c);
}

int despachar(const std::vector<std::string>& args, Contexto& c) {
    const std::string& primeiro = args[0];
    std::vector<const Verbo*> doSubstantivo;
    for (const auto& v : verbos()) {
        if (v.substantivo.empty() && v.nome == primeiro)
            return rodarVerbo(v, std::vector<std::string>(args.begin() + 1, args.end()), c);
        if (v.substantivo == primeiro) doSubstantivo.push_back(&v);
    }
    if (doSubstantivo.empty()) {
        c.err << "Verbo desconhecido: " << primeiro << "\nUse kov-cli --help para ver os verbos.\n";
        return USO_INCORRETO;
    }
    if (args.size() >= 2) {
        for (const Verbo* v : doSubstantivo)
            if (v->nome == args[1]) return rodarVerbo(*v, std::vector<std::string>(args.begin() + 2, args.end()), c);
    }
    const bool ajuda = args.size() >= 2 && pedeAjuda(args[1]);
    std::ostream& o = ajuda ? c.out : c.err;
    if (args.size() >= 2 && !ajuda) o << "Verbo desconhecido: " << primeiro << " " << args[1] << "\n";
    for (const Verbo* v : doSubstantivo) o << v->linhaUso() << "\n";
    return ajuda ? 0 : USO_INCORRETO;
}

}  // namespace

int executar(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& dir,
             bool terminal) {
    if (args.empty() || pedeAjuda(args[0])) {
        ajudaGeral(args.empty() ? err : out);
        return args.empty() ? USO_INCORRETO : 0;
    }
    Contexto c{out, err, dir, terminal};
    try {
        return despachar(args, c);
    } catch (const Abortar&) {
        return 1;
    } catch (const std::exception& e) {
        err << InteracaoCli::paraTerminal(e.what()) << "\n";
        return 1;
    }
}

int executar(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // Instalado por pacote, a primeira partida monta a raiz do usuário (KOV.ini, base, pastas)
    try {
        PastaDoProgramaEmUso();
    } catch (const std::exception& e) {
        std::cerr << InteracaoCli::paraTerminal(e.what()) << "\n";
        return 1;
    }
    return executar(args, std::cout, std::cerr, {}, ::isatty(STDOUT_FILENO) == 1);
}

}  // namespace kov::cli
