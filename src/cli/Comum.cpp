#include "cli/Comum.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "data/Cadastros.h"
#include "data/dmPrincipal.h"

namespace kov::cli {

void InteracaoCli::mensagem(TipoMensagem tipo, const std::string&, const std::string& texto) {
    if (tipo == TipoMensagem::Erro || tipo == TipoMensagem::Aviso) falhas_++;
    std::ostream& destino = tipo == TipoMensagem::Informacao && informacoes_ ? *informacoes_ : err_;
    destino << paraTerminal(texto) << "\n";
}

void InteracaoCli::mostrarStatus(const std::string& texto) { err_ << paraTerminal(texto) << "\n"; }

bool InteracaoCli::pergunta(const std::string&, const std::string& texto) {
    err_ << paraTerminal(texto) << " [Sim]\n";
    return true;
}

void InteracaoCli::erro(const std::string& texto) {
    falhas_++;
    err_ << paraTerminal(texto) << "\n";
}

std::string InteracaoCli::opcoesArquivoExistente() {
    err_ << "Já existe um arquivo de backup com data de hoje. Deseja sobrescreve-lo? [Sim]\n";
    return "S";
}

void InteracaoCli::progresso(unsigned long long feito, unsigned long long total) {
    if (total == 0 || &err_ != &std::cerr || ::isatty(STDERR_FILENO) != 1) return;
    const int p = static_cast<int>(feito * 100 / total);
    if (p == ultimoPercentual_) return;
    ultimoPercentual_ = p;
    err_ << "\r" << p << "%" << (p >= 100 ? "\n" : "") << std::flush;
    if (p >= 100) ultimoPercentual_ = -1;
}

std::string InteracaoCli::paraTerminal(const std::string& t) {
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

bool abrirModulo(Tdm& dm, InteracaoCli& ui) {
    dm.DataModuleCreate();
    return dm.conectado() && !dm.terminacaoSolicitada() && ui.falhas() == 0;
}

std::string campoLista(const std::string& s) { return TextoVisivel(s); }

void cabecalhoLista(Contexto& c, const std::vector<std::string>& colunas) {
    if (!c.terminal) return;
    for (size_t i = 0; i < colunas.size(); ++i) c.out << (i ? "\t" : "") << colunas[i];
    c.out << "\n";
}

void listaVazia(Contexto& c, const std::string& texto) { c.err << texto << "\n"; }

std::string plural(size_t n, const char* singular, const char* plural) {
    return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

bool arquivosExistem(const std::vector<std::string>& arquivos, Contexto& c) {
    bool todos = true;
    for (const auto& arq : arquivos) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(arq, ec)) {
            c.err << "Arquivo não encontrado: " << arq << "\n";
            todos = false;
        }
    }
    return todos;
}

bool criarPasta(const std::string& pasta, Contexto& c) {
    std::error_code ec;
    std::filesystem::create_directories(pasta, ec);
    if (std::filesystem::is_directory(pasta, ec)) return true;
    c.err << "Não foi possível criar a pasta " << pasta << ".\n";
    return false;
}

bool inteiroPositivo(const std::string& s, int& n) {
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    n = std::stoi(s);
    return n > 0;
}

std::string Verbo::linhaUso() const {
    std::string l = "Uso: kov-cli " + comando();
    if (!uso.empty()) l += " " + uso;
    return l;
}

int usoIncorreto(const Verbo& v, Contexto& c, const std::string& motivo) {
    if (!motivo.empty()) c.err << motivo << "\n";
    c.err << v.linhaUso() << "\n";
    return USO_INCORRETO;
}

}  // namespace kov::cli
