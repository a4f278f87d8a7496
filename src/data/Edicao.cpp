#include "data/Edicao.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "data/Cadastros.h"
#include "platform/Interacao.h"

namespace kov {

const char* const MSG_APLICAR_ANTES = "É necessário aplicar as alterações antes de efetuar esta operação";

ConjuntoDados::ConjuntoDados(std::string nome) : nome_(std::move(nome)) {}

ConjuntoDados::~ConjuntoDados() = default;

const Campo* ConjuntoDados::campo(const std::string& nome) const {
    for (const auto& c : campos_)
        if (c.nome == nome) return &c;
    return nullptr;
}

const Campo& ConjuntoDados::campoExistente(const std::string& nome) const {
    const Campo* c = campo(nome);
    if (!c) throw ErroSistema(nome_ + ": campo '" + nome + "' não encontrado");
    return *c;
}

bool ConjuntoDados::modificado() const { return editando() && edicaoAlterada(); }

void ConjuntoDados::avisar(MudancaConjunto m, const std::string& campo) {
    // Cópia: um observador pode deixar de observar enquanto é avisado.
    const auto lista = observadores_;
    for (const auto& [id, o] : lista)
        if (o) o(m, campo);
}

int ConjuntoDados::observar(Observador o) {
    const int id = proximoObservador_++;
    observadores_.emplace_back(id, std::move(o));
    return id;
}

void ConjuntoDados::deixarDeObservar(int id) {
    std::erase_if(observadores_, [id](const auto& p) { return p.first == id; });
}

void ConjuntoDados::abrir() {
    if (aberto()) return;
    carregar();
    estado_ = EstadoConjunto::Navegacao;
    atual_ = linhas() > 0 ? 0 : -1;
    avisar(MudancaConjunto::Estado);
    avisar(MudancaConjunto::Linhas);
}

void ConjuntoDados::fechar() {
    if (!aberto()) return;
    descarregar();
    estado_ = EstadoConjunto::Fechado;
    atual_ = -1;
    avisar(MudancaConjunto::Estado);
    avisar(MudancaConjunto::Linhas);
}

void ConjuntoDados::recarregarEm(const std::string& chave, int linhaPadrao) {
    carregar();
    const int n = linhas();
    int alvo = -1;
    if (!chave.empty())
        for (int i = 0; i < n && alvo < 0; ++i)
            if (chaveLinha(i) == chave) alvo = i;
    if (alvo < 0 && n > 0) alvo = std::clamp(linhaPadrao, 0, n - 1);
    atual_ = alvo;
    avisar(MudancaConjunto::Linhas);
    avisar(MudancaConjunto::Posicao);
}

void ConjuntoDados::atualizar() {
    if (!aberto()) {
        abrir();
        return;
    }
    // Ler de novo jogaria fora o que foi digitado ou postado e ainda não foi gravado.
    if (editando() || alteracoesPostadas()) throw ErroSistema(MSG_APLICAR_ANTES);
    recarregarEm(atual_ >= 0 ? chaveLinha(atual_) : std::string(), atual_);
}

void ConjuntoDados::inserir() {
    if (!navegando() || somenteLeitura()) return;
    comecarInclusao();
    estado_ = EstadoConjunto::Insercao;
    avisar(MudancaConjunto::Estado);
}

void ConjuntoDados::editar() {
    if (!navegando() || atual_ < 0 || somenteLeitura()) return;
    comecarAlteracao(atual_);
    estado_ = EstadoConjunto::Edicao;
    avisar(MudancaConjunto::Estado);
}

void ConjuntoDados::cancelar() {
    if (!editando()) return;
    estado_ = EstadoConjunto::Navegacao;
    avisar(MudancaConjunto::Estado);
}

void ConjuntoDados::gravar() {
    if (guardaPostadas()) {
        postar();
        aplicar();
        return;
    }
    if (!editando()) return;
    aplicarEdicao();
    // Gravado: a lista volta a refletir a base (ordem, descrições) e fica no registro gravado.
    const std::string chave = chaveEdicao();
    estado_ = EstadoConjunto::Navegacao;
    avisar(MudancaConjunto::Estado);
    recarregarEm(chave, atual_);
}

void ConjuntoDados::postar() {
    if (!editando()) return;
    if (!guardaPostadas()) {
        gravar();
        return;
    }
    const int linha = postarEdicao();
    estado_ = EstadoConjunto::Navegacao;
    atual_ = linha;
    avisar(MudancaConjunto::Estado);
    avisar(MudancaConjunto::Linhas);
    avisar(MudancaConjunto::Posicao);
}

void ConjuntoDados::aplicar() {
    if (!alteracoesPostadas()) return;
    const std::string chave = aplicarPostadas();
    recarregarEm(chave, atual_);
    // Sem registros pendentes: quem segue as alterações pendentes fica sabendo
    avisar(MudancaConjunto::Estado);
}

void ConjuntoDados::descartarAlteracoes() {
    cancelar();
    if (!alteracoesPostadas()) return;
    const std::string chave = atual_ >= 0 ? chaveLinha(atual_) : std::string();
    descartarPostadas();
    recarregarEm(chave, atual_);
    avisar(MudancaConjunto::Estado);
}

void ConjuntoDados::excluir() {
    if (!navegando() || atual_ < 0 || somenteLeitura()) return;
    excluirNaBase(atual_);
    recarregarEm({}, atual_);
}

void ConjuntoDados::irPara(int linha) {
    if (!navegando() || linhas() == 0) return;
    linha = std::clamp(linha, 0, linhas() - 1);
    if (linha == atual_) return;
    atual_ = linha;
    avisar(MudancaConjunto::Posicao);
}

void ConjuntoDados::primeiro() { irPara(0); }
void ConjuntoDados::anterior() { irPara(atual_ - 1); }
void ConjuntoDados::proximo() { irPara(atual_ + 1); }
void ConjuntoDados::ultimo() { irPara(linhas() - 1); }

fb::Valor ConjuntoDados::valor(const std::string& campo) const {
    const Campo& c = campoExistente(campo);
    if (editando()) return lerEdicao(c);
    if (atual_ < 0 || atual_ >= quantidade()) return {};
    return lerLinha(atual_, c);
}

fb::Valor ConjuntoDados::valor(int linha, const std::string& campo) const {
    const Campo& c = campoExistente(campo);
    if (linha < 0 || linha >= quantidade()) return {};
    return lerLinha(linha, c);
}

std::string ConjuntoDados::texto(const std::string& campo) const {
    return TextoExibicao(campoExistente(campo).especie, valor(campo));
}

std::string ConjuntoDados::texto(int linha, const std::string& campo) const {
    return TextoExibicao(campoExistente(campo).especie, valor(linha, campo));
}

void ConjuntoDados::definir(const std::string& campo, const fb::Valor& v) {
    const Campo& c = campoExistente(campo);
    if (!editando()) throw ErroSistema(nome_ + ": o registro não está em edição");
    if (c.calculado) throw ErroSistema(nome_ + ": o campo '" + campo + "' não pode ser alterado");
    escreverEdicao(c, v);
    avisar(MudancaConjunto::Valor, campo);
}

namespace {

std::optional<int64_t> inteiroDoTexto(const std::string& t) {
    if (t.empty()) return std::nullopt;
    size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size()) return std::nullopt;
    int64_t n = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        n = n * 10 + (t[i] - '0');
        if (n > 2147483647) return std::nullopt;
    }
    return t[0] == '-' ? -n : n;
}

std::optional<fb::Data> dataDoTexto(const std::string& t) {
    int d = 0, m = 0, a = 0;
    char s1 = 0, s2 = 0;
    if (std::sscanf(t.c_str(), "%d%c%d%c%d", &d, &s1, &m, &s2, &a) != 5 || s1 != '/' || s2 != '/') return std::nullopt;
    const fb::Data data{std::chrono::year(a), std::chrono::month(static_cast<unsigned>(m)),
                        std::chrono::day(static_cast<unsigned>(d))};
    if (!data.ok()) return std::nullopt;
    return data;
}

}  // namespace

void ConjuntoDados::definirTexto(const std::string& campo, const std::string& texto) {
    const Campo& c = campoExistente(campo);
    const std::string t = Aparar(texto);
    switch (c.especie) {
        case EspecieColuna::Texto: definir(campo, fb::Valor(texto)); return;
        case EspecieColuna::Chave:
        case EspecieColuna::Inteiro: {
            if (t.empty()) {
                definir(campo, fb::Valor());
                return;
            }
            const auto n = inteiroDoTexto(t);
            if (!n) throw ErroCampo(campo, "'" + t + "' não é um valor inteiro válido");
            definir(campo, fb::Valor(static_cast<int>(*n)));
            return;
        }
        case EspecieColuna::Valor: {
            if (t.empty()) {
                definir(campo, fb::Valor());
                return;
            }
            try {
                definir(campo, fb::Valor(Dinheiro::deTexto(t)));
            } catch (const std::invalid_argument&) {
                throw ErroCampo(campo, "'" + t + "' não é um valor válido");
            }
            return;
        }
        case EspecieColuna::Data: {
            if (t.empty()) {
                definir(campo, fb::Valor());
                return;
            }
            const auto d = dataDoTexto(t);
            if (!d) throw ErroCampo(campo, "'" + t + "' não é uma data válida");
            definir(campo, fb::Valor(*d));
            return;
        }
    }
}

std::string ConjuntoDados::TextoExibicao(EspecieColuna especie, const fb::Valor& v) {
    if (v.nulo()) return {};
    switch (especie) {
        case EspecieColuna::Texto: return v.texto();
        case EspecieColuna::Chave:
        case EspecieColuna::Inteiro: return std::to_string(v.inteiro());
        case EspecieColuna::Valor: return v.dinheiro().formatado();
        case EspecieColuna::Data: return fb::formatarData(v.data());
    }
    return v.texto();
}

// --- Exportação ---------------------------------------------------------------------------

std::string TextoExportacao(const std::vector<std::string>& nomes, const std::vector<std::vector<std::string>>& linhas) {
    std::string s;
    for (const auto& n : nomes) s += n + ";";
    s += "\r\n";
    for (const auto& l : linhas) {
        for (const auto& v : l) s += Aparar(v) + ";";
        s += "\r\n";
    }
    return s;
}

std::string TextoExportacao(ConjuntoDados& c) {
    std::vector<std::string> nomes;
    for (const auto& campo : c.campos()) nomes.push_back(campo.nome);
    std::vector<std::vector<std::string>> linhas;
    for (int i = 0; i < c.quantidade(); ++i) {
        std::vector<std::string> l;
        for (const auto& campo : c.campos()) l.push_back(c.texto(i, campo.nome));
        linhas.push_back(std::move(l));
    }
    c.ultimo();
    return TextoExportacao(nomes, linhas);
}

std::string ExportarConjunto(ConjuntoDados& c, const std::string& pasta) {
    std::string caminho = pasta;
    if (!caminho.empty() && caminho.back() != '/') caminho += '/';
    caminho += c.nome() + ".txt";
    const std::string texto = TextoExportacao(c);
    std::ofstream f(caminho, std::ios::binary | std::ios::trunc);
    if (f) f.write(texto.data(), static_cast<std::streamsize>(texto.size()));
    if (f) f.close();
    if (!f) throw ErroSistema("Não foi possível gravar o arquivo \"" + caminho + "\".");
    return caminho;
}

}  // namespace kov
