#pragma once
// Leitura e gravação de linhas na base a partir da tabela de colunas de cada tipo.
#include <string>
#include <vector>

#include "data/Registros.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"

namespace kov {

template <class L>
std::string ListaColunas() {
    std::string s;
    for (const auto& c : L::colunas()) s += (s.empty() ? "" : ", ") + std::string(c.nome);
    return s;
}

// A linha atual do comando, que leu as colunas na ordem de ListaColunas<L>().
template <class L>
L LerLinha(const fb::Comando& q) {
    L l{};
    int i = 0;
    for (const auto& c : L::colunas()) DefinirColuna(l, c, q.coluna(i++));
    return l;
}

// SELECT das colunas de L com a condição dada, que pode usar o parâmetro :DOCUMENTO_ID.
template <class L>
std::vector<L> LerLinhas(fb::Transacao& tr, const std::string& where, int documentoId) {
    fb::Comando q(tr, "SELECT " + ListaColunas<L>() + " FROM " + L::tabela + " WHERE " + where);
    if (q.temParametro("DOCUMENTO_ID")) q.param("DOCUMENTO_ID", documentoId);
    std::vector<L> v;
    while (q.proximo()) v.push_back(LerLinha<L>(q));
    return v;
}

template <class L>
void InserirLinhas(fb::Transacao& tr, const std::vector<L>& linhas) {
    if (linhas.empty()) return;
    std::string valores;
    for (const auto& c : L::colunas()) valores += (valores.empty() ? ":" : ", :") + std::string(c.nome);
    fb::Comando ins(tr, std::string("INSERT INTO ") + L::tabela + " (" + ListaColunas<L>() + ") VALUES (" + valores + ")");
    for (const auto& l : linhas) {
        for (const auto& c : L::colunas()) ins.param(c.nome, ValorColuna(l, c));
        ins.executar();
    }
}

// UPDATE de todas as colunas que não são chave, pela coluna de chave indicada.
template <class L>
void AtualizarLinha(fb::Transacao& tr, const L& linha, const std::string& chave) {
    std::string sets;
    for (const auto& c : L::colunas())
        if (!c.chave()) sets += (sets.empty() ? "" : ", ") + std::string(c.nome) + " = :" + c.nome;
    fb::Comando up(tr, std::string("UPDATE ") + L::tabela + " SET " + sets + " WHERE " + chave + " = :" + chave);
    for (const auto& c : L::colunas()) up.param(c.nome, ValorColuna(linha, c));
    up.executar();
}

}  // namespace kov
