#include "data/ArvoreCnaef.h"

#include <algorithm>

#include "data/Cadastros.h"

namespace kov {

namespace {

// Posição de cada nível na lista dos últimos nós lidos.
constexpr int NumNiveisCorrentes = 4;  // divisão, grupo, classe, subclasse

std::optional<NivelCnaef> NivelDo(const std::string& codigo, const std::string& desmembramento) {
    switch (codigo.size()) {
        case 2: return NivelCnaef::Divisao;
        case 3: return NivelCnaef::Grupo;
        case 5: return NivelCnaef::Classe;
        case 7: return desmembramento == "00" ? NivelCnaef::Subclasse : NivelCnaef::Desmembramento;
        default: return std::nullopt;
    }
}

bool ComecaCom(const std::string& texto, const std::string& inicio) {
    return texto.size() >= inicio.size() && texto.compare(0, inicio.size(), inicio) == 0;
}

}  // namespace

std::string CodigoCnaefSemBrancos(const std::string& codigo) {
    std::string s;
    s.reserve(codigo.size());
    for (char c : codigo)
        if (c != ' ') s += c;
    return s;
}

std::string FormatarCodigoCnaef(const std::string& c) {
    if (c.size() == 5) return c.substr(0, 4) + "-" + c.substr(4, 1);
    if (c.size() == 7) return c.substr(0, 4) + "-" + c.substr(4, 1) + "/" + c.substr(5, 2);
    return c;
}

std::string TextoNoCnaef(const std::string& codigo, const std::string& desmembramento,
                         const std::string& descricao) {
    std::string t = FormatarCodigoCnaef(codigo);
    if (desmembramento != "00") t += "  [ " + desmembramento + " ]  ";
    t += " - " + Aparar(descricao);
    return t;
}

ArvoreCnaef MontarArvoreCnaef(const std::vector<LinhaCNAEF>& linhas) {
    ArvoreCnaef arv;
    // Último nó lido de cada nível (a subclasse corrente na última posição).
    int ultimo[NumNiveisCorrentes] = {-1, -1, -1, -1};

    for (const auto& linha : linhas) {
        const std::string codigo = CodigoCnaefSemBrancos(linha.CNAEF_ID);
        const auto nivel = NivelDo(codigo, linha.DESMEMBRAMENTO);
        if (!nivel) continue;
        const int n = static_cast<int>(*nivel);

        // O pai é o último nó do nível de cima; se ele não é um ancestral deste código
        // (o nível de cima faltou na tabela), sobe até o ancestral mais próximo já lido.
        // Um desmembramento fica sob a sua subclasse, que tem o mesmo código.
        int pai = -1;
        for (int k = std::min(n, NumNiveisCorrentes) - 1; k >= 0; --k) {
            const int candidato = ultimo[k];
            if (candidato >= 0 && ComecaCom(codigo, arv.nos[candidato].codigo)) {
                pai = candidato;
                break;
            }
        }

        NoCnaef no;
        no.codigo = codigo;
        no.desmembramento = linha.DESMEMBRAMENTO;
        no.nivel = *nivel;
        no.texto = TextoNoCnaef(codigo, linha.DESMEMBRAMENTO, linha.DESCRICAO);
        no.pai = pai;
        const int indice = static_cast<int>(arv.nos.size());
        arv.nos.push_back(std::move(no));
        if (pai >= 0)
            arv.nos[pai].filhos.push_back(indice);
        else
            arv.raizes.push_back(indice);

        if (n < NumNiveisCorrentes) {
            ultimo[n] = indice;
            // Os níveis de baixo do ramo anterior deixam de valer.
            for (int k = n + 1; k < NumNiveisCorrentes; ++k) ultimo[k] = -1;
        }
    }
    return arv;
}

std::string CodigoDoTextoCnaef(const std::string& texto) {
    if (texto.size() < 9) return {};
    return texto.substr(0, 4) + texto.substr(5, 1) + texto.substr(7, 2);
}

std::string DesmembramentoDoTextoCnaef(const std::string& texto) {
    // "dddd-d/dd  [ xx ]  ..." : a marca começa logo depois dos 9 caracteres do código.
    static const std::string marca = "  [ ";
    const size_t inicioMarca = 9;
    if (texto.size() >= inicioMarca + marca.size() + 2 && texto.compare(inicioMarca, marca.size(), marca) == 0) {
        const size_t colchete = texto.find('[', inicioMarca);
        return texto.substr(colchete + 2, 2);
    }
    return "00";
}

std::optional<size_t> LocalizarMunicipio(const std::vector<LinhaMunicipio>& municipios, const std::string& texto) {
    if (texto.empty()) return std::nullopt;
    for (size_t i = 0; i < municipios.size(); ++i)
        if (ComecaCom(municipios[i].DESCRICAO, texto)) return i;
    return std::nullopt;
}

std::string TextoBuscaMunicipio(const std::string& digitado) { return MaiusculasUtf8(digitado); }

}  // namespace kov
