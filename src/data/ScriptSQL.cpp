#include "data/ScriptSQL.h"

#include <algorithm>
#include <cctype>

#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"

namespace kov {

namespace {

std::string aparar(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

std::string maiusculas(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::vector<ComandoScript> dividirScript(const std::string& t, std::string term) {
    std::vector<ComandoScript> out;
    std::string atual;
    int linha = 1, linhaInicio = 0;
    const size_t n = t.size();
    auto fechar = [&]() {
        std::string s = aparar(atual);
        atual.clear();
        if (s.empty()) return;
        std::string m = maiusculas(s);
        if (m.rfind("SET TERM", 0) == 0) {
            // "SET TERM ^" : o novo terminador é o resto do comando
            std::string novo = aparar(s.substr(8));
            if (!novo.empty()) term = novo;
            return;
        }
        out.push_back({s, linhaInicio});
    };
    for (size_t i = 0; i < n;) {
        const char c = t[i];
        if (aparar(atual).empty() && !std::isspace(static_cast<unsigned char>(c))) linhaInicio = linha;
        if (c == '\n') ++linha;
        if (c == '\'' || c == '"') {
            size_t j = i + 1;
            while (j < n) {
                if (t[j] == '\n') ++linha;
                if (t[j] == c) {
                    if (j + 1 < n && t[j + 1] == c) { j += 2; continue; }
                    break;
                }
                ++j;
            }
            atual.append(t, i, std::min(j + 1, n) - i);
            i = j + 1;
            continue;
        }
        if (c == '/' && i + 1 < n && t[i + 1] == '*') {
            size_t j = t.find("*/", i + 2);
            j = (j == std::string::npos) ? n : j + 2;
            linha += static_cast<int>(std::count(t.begin() + static_cast<long>(i), t.begin() + static_cast<long>(j), '\n'));
            if (!aparar(atual).empty()) atual.append(t, i, j - i);
            i = j;
            continue;
        }
        if (c == '-' && i + 1 < n && t[i + 1] == '-') {
            size_t j = t.find('\n', i);
            if (j == std::string::npos) j = n;
            i = j;
            continue;
        }
        if (t.compare(i, term.size(), term) == 0) {
            fechar();
            i += term.size();
            continue;
        }
        // SET TERM termina com o terminador antigo, já tratado acima
        atual += c;
        ++i;
    }
    fechar();
    return out;
}

void executarScript(fb::Conexao& c, const std::string& nome, const std::string& texto,
                    const std::function<void(int, int)>& progresso) {
    const auto comandos = dividirScript(texto);
    fb::Transacao tr(c);
    int feitos = 0;
    for (const auto& cmd : comandos) {
        const std::string m = maiusculas(cmd.sql);
        try {
            if (m == "COMMIT" || m == "COMMIT WORK") {
                tr.commit();
                tr.iniciar();
            } else if (m == "ROLLBACK" || m == "ROLLBACK WORK") {
                tr.rollback();
                tr.iniciar();
            } else {
                fb::Comando::executarDireto(tr, cmd.sql);
            }
        } catch (const fb::ErroBanco& e) {
            tr.rollback();
            throw fb::ErroBanco(nome + ", linha " + std::to_string(cmd.linha) + ": " + e.what(), e.codigoSql(),
                                e.codigoGds());
        }
        if (progresso) progresso(++feitos, static_cast<int>(comandos.size()));
    }
    tr.commit();
}

}  // namespace kov
