#pragma once
// Acesso interno à interface C++ do Firebird. Só os fontes de data/fb incluem este cabeçalho.
#include <firebird/Interface.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/fb/ErroBanco.h"

namespace kov::fb::api {

Firebird::IMaster* mestre();
Firebird::IUtil* util();

// Executa 'f' com um status que lança; converte falhas em ErroBanco com o texto do servidor.
void chamar(const std::function<void(Firebird::ThrowStatusWrapper&)>& f);

// Texto de um vetor de status do Firebird.
ErroBanco erroDe(const Firebird::IStatus* status);

// Libera uma interface ao sair do escopo (release nas contadas, dispose nas descartáveis).
template <class T>
struct Ref {
    T* p = nullptr;
    Ref() = default;
    explicit Ref(T* x) : p(x) {}
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& o) noexcept : p(o.p) { o.p = nullptr; }
    Ref& operator=(Ref&& o) noexcept { if (this != &o) { reset(); p = o.p; o.p = nullptr; } return *this; }
    ~Ref() { reset(); }
    void reset(T* x = nullptr) {
        if (p) {
            if constexpr (requires(T* t) { t->release(); }) p->release();
            else p->dispose();
        }
        p = x;
    }
    T* operator->() const { return p; }
    T* get() const { return p; }
    T* soltar() { T* x = p; p = nullptr; return x; }
    explicit operator bool() const { return p != nullptr; }
};

// Comando preparado guardado para reuso (ReusoDeComandos): o que a preparação devolve.
struct ComandoPreparado {
    Ref<Firebird::IStatement> stmt;
    Ref<Firebird::IMessageMetadata> metaEntrada, metaSaida;
    std::vector<std::string> nomesParam, nomesColuna;
    unsigned tipo = 0;
    unsigned tamanhoSaida = 0;
};

// Comandos preparados livres, por texto SQL. Um comando em uso sai daqui e volta quando
// o Comando que o usa é destruído, se ainda for da mesma geração: DDL e o fechamento da
// conexão liberam os guardados e mudam a geração, e um comando tirado antes disso é
// liberado em vez de voltar (conheceria a estrutura velha ou outra conexão).
struct CacheComandos {
    static constexpr size_t LIMITE = 512;  // textos guardados; além disso o comando é liberado
    std::unordered_multimap<std::string, ComandoPreparado> livres;
    unsigned geracao = 0;
};

// Libera os comandos guardados e muda a geração; nunca lança (a conexão pode já ter caído).
void liberarComandos(CacheComandos& cache);

}  // namespace kov::fb::api
