#pragma once
// Comando SQL preparado com parâmetros nomeados (:NOME) e leitura tipada das colunas.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/fb/Valor.h"

namespace kov::fb {

class Transacao;

class Comando {
public:
    Comando(Transacao& t, const std::string& sql);
    ~Comando();
    Comando(const Comando&) = delete;
    Comando& operator=(const Comando&) = delete;

    // Define todas as ocorrências do parâmetro (nome sem ':' e sem distinção de caixa).
    Comando& param(const std::string& nome, const Valor& v);
    bool temParametro(const std::string& nome) const;

    // Executa. Num SELECT abre o cursor (leia com proximo()); num EXECUTE PROCEDURE
    // as saídas ficam disponíveis de imediato.
    void executar();
    // Lê a próxima linha; abre o cursor se for preciso. Falso no fim.
    bool proximo();
    void fecharCursor();

    int colunas() const;
    std::string nomeColuna(int i) const;
    const Valor& coluna(int i) const;
    const Valor& operator[](const std::string& nome) const;  // lança se a coluna não existe
    bool temColuna(const std::string& nome) const;

    // Executa um comando sem parâmetros (DDL, blocos PSQL) diretamente.
    static void executarDireto(Transacao& t, const std::string& sql);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// Converte o SQL com :NOME para '?' e devolve a posição de cada nome (em maiúsculas).
std::string converterParametros(const std::string& sql, std::vector<std::string>& nomes);

}  // namespace kov::fb
