#include "delivery/untSetDeclaracoes.h"

#include <algorithm>

#include "data/untUtils.h"
#include "platform/Interacao.h"

namespace kov {

const char* const MSG_NENHUMA_ENCONTRADA = "Nenhuma declaração foi encontrada!";

namespace {

const char* const MARCA = "[*]";
const char* const SEM_MARCA = "   ";
// Da coluna 42 ao fim a linha é só ASCII: meses, ano, chave e situação em 27 bytes.
constexpr size_t CAUDA = 27;

std::string doisDigitos(int n) { return CompletarEsquerda(std::to_string(n), "0", 2); }

// A situação (coluna 67) de uma linha.
char situacaoDaLinha(const std::string& linha) { return linha.size() >= 2 ? linha[linha.size() - 2] : ' '; }

bool marcada(const std::string& linha) { return linha.compare(0, 3, MARCA) == 0; }

}  // namespace

TextosModoSelecao TextosDoModo(ModoSelecao modo) {
    switch (modo) {
        case ModoSelecao::Transmissao:
            return {"Transmissão via Internet", "INTERNET", "Selecione as declarações que deseja transmitir", 20};
        case ModoSelecao::Gravacao:
            return {"Gravação", "GRAVAÇÃO", "Selecione as declarações que deseja gravar", 17};
        case ModoSelecao::Copia:
            break;
    }
    return {"Cópia de Segurança de Declarações", "Cópia de Segurança",
            "Selecione as declarações que deseja fazer cópia de segurança", 17};
}

std::string NomeNaLinha(const std::string& razaoSocial) {
    size_t caracteres = 0;  // em UTF-8: os bytes que não continuam um caractere
    for (unsigned char ch : razaoSocial)
        if ((ch & 0xC0) != 0x80) ++caracteres;
    if (caracteres <= 20) return CompletarDireita(razaoSocial, " ", 22);
    return CompletarDireita(razaoSocial, " ", 17) + "...  ";
}

std::string LinhaSelecao(const LinhaDeclaracaoEntrega& l, const std::string& situacao) {
    return std::string(SEM_MARCA) + CompletarDireita(FormatarIE(l.INSCESTADUAL), " ", 15) + " " +
           NomeNaLinha(l.RAZAOSOCIAL) + doisDigitos(l.MESINICIAL) + " " + doisDigitos(l.MESFINAL) + " " +
           CompletarEsquerda(std::to_string(l.PERIODO), "0", 4) + " - " +
           CompletarEsquerda(std::to_string(l.DOCUMENTO_ID), "0", 10) + " [" + situacao + "]";
}

std::string ChaveEscolha(const std::string& linha) {
    if (linha.size() < 18 + CAUDA) return {};
    std::string inscricao;
    for (char ch : linha.substr(3, 15))
        if (ch >= '0' && ch <= '9') inscricao += ch;
    const std::string cauda = linha.substr(linha.size() - CAUDA);
    return inscricao + cauda.substr(0, 2) + cauda.substr(3, 2) + cauda.substr(6, 4) + cauda.substr(13, 10) +
           (cauda[23] != ' ' ? "S" : "N");
}

std::optional<int> MesDoFiltro(const std::string& data) {
    if (!DataValida(data)) return std::nullopt;
    return std::stoi(data.substr(3, 2));
}

FiltroDeclaracoesEntrega SelecaoDeclaracoes::filtro(const std::string& anoBase) const {
    FiltroDeclaracoesEntrega f;
    f.anoBase = anoBase;
    if (!usarFiltros) return f;
    for (char ch : inscricao)
        if (ch >= '0' && ch <= '9') f.inscricao += ch;
    f.mesInicio = MesDoFiltro(dataInicio);
    f.mesFim = MesDoFiltro(dataFim);
    f.naoTransmitidas = naoTransmitidas;
    return f;
}

bool SelecaoDeclaracoes::reconstruir(fb::Conexao& c, const std::string& anoBase) {
    montar(ListarDeclaracoesEntrega(c, filtro(anoBase)));
    return !disponiveis_.empty();
}

void SelecaoDeclaracoes::montar(const std::vector<LinhaDeclaracaoEntrega>& linhas) {
    disponiveis_.clear();
    const LinhaDeclaracaoEntrega* anterior = nullptr;
    for (const auto& l : linhas) {
        // A junção com as entregas repete a declaração uma vez por entrega
        const bool repetida = anterior && anterior->INSCESTADUAL == l.INSCESTADUAL &&
                              anterior->MESINICIAL == l.MESINICIAL && anterior->MESFINAL == l.MESFINAL;
        anterior = &l;
        if (repetida) continue;
        // Uma declaração transmitida com mudança de município no ano corrente não é entregue de novo
        const bool oferecida = l.SITUACAO == "D" || l.SITUACAO == "N" ||
                               (l.SITUACAO == "T" && l.MUDANCAMUNICIPIOANOCORRENTE == "N");
        if (oferecida) disponiveis_.push_back(LinhaSelecao(l, l.SITUACAO));
    }
    escolhidas_.clear();
    incluiu_ = false;
}

void SelecaoDeclaracoes::incluir(const std::vector<size_t>& indices) {
    for (size_t i : indices) {
        if (i >= disponiveis_.size() || marcada(disponiveis_[i])) continue;
        const std::string& linha = disponiveis_[i];
        escolhidas_.insert(std::upper_bound(escolhidas_.begin(), escolhidas_.end(), linha), linha);
        disponiveis_[i].replace(0, 3, MARCA);
    }
    incluiu_ = true;
}

void SelecaoDeclaracoes::excluir(const std::vector<size_t>& indices) {
    std::vector<size_t> ordem(indices);
    std::sort(ordem.begin(), ordem.end());
    ordem.erase(std::unique(ordem.begin(), ordem.end()), ordem.end());
    for (size_t i : ordem) {
        if (i >= escolhidas_.size()) continue;
        const std::string resto = escolhidas_[i].substr(3);
        for (auto& d : disponiveis_)
            if (d.compare(3, std::string::npos, resto) == 0) d.replace(0, 3, SEM_MARCA);
    }
    for (auto it = ordem.rbegin(); it != ordem.rend(); ++it)
        if (*it < escolhidas_.size()) escolhidas_.erase(escolhidas_.begin() + static_cast<long>(*it));
}

void SelecaoDeclaracoes::incluirTodas() {
    std::vector<size_t> todas(disponiveis_.size());
    for (size_t i = 0; i < todas.size(); ++i) todas[i] = i;
    incluir(todas);
}

void SelecaoDeclaracoes::excluirTodas() {
    std::vector<size_t> todas(escolhidas_.size());
    for (size_t i = 0; i < todas.size(); ++i) todas[i] = i;
    excluir(todas);
}

std::string SelecaoDeclaracoes::rotuloContagem() const {
    if (!incluiu_) return "Declarações Selecionadas (0)";
    return "Declarações selecionadas (" + std::to_string(escolhidas_.size()) + ")";
}

std::vector<std::string> SelecaoDeclaracoes::chaves() const {
    std::vector<std::string> v;
    for (const auto& l : escolhidas_) v.push_back(ChaveEscolha(l));
    std::sort(v.begin(), v.end());
    return v;
}

std::optional<std::vector<std::string>> SelecaoDeclaracoes::confirmar(Interacao& ui) const {
    if (escolhidas_.empty()) {
        ui.mensagem(TipoMensagem::Informacao, "Informação", "Nenhuma declaração foi selecionada!");
        return std::nullopt;
    }
    if (modo_ != ModoSelecao::Copia) {
        if (escolhidas_.size() > MAXIMO_DECLARACOES_ENTREGA) {
            ui.mensagem(TipoMensagem::Informacao, "Informação",
                        "Escolha, no máximo, 10 declarações para serem entregues!");
            return std::nullopt;
        }
        size_t gravadas = 0, transmitidas = 0;
        for (const auto& l : escolhidas_) {
            if (situacaoDaLinha(l) == 'D') ++gravadas;
            if (modo_ == ModoSelecao::Transmissao && situacaoDaLinha(l) == 'T') ++transmitidas;
        }
        if (gravadas > 0 &&
            !ui.pergunta("Confirmação", "Existem declarações já gravadas na lista selecionada! Deseja continuar?"))
            return std::nullopt;
        if (transmitidas > 0 &&
            !ui.pergunta("Confirmação", "Existem declarações já transmitidas na lista selecionada! Deseja continuar?"))
            return std::nullopt;
    }
    return chaves();
}

}  // namespace kov
