#pragma once
// Transação de leitura confirmada (read committed, record version) que espera
// por bloqueios. Desfaz no destrutor se não foi confirmada.
#include <cstdint>
#include <string>

namespace Firebird { class ITransaction; }

namespace kov::fb {

class Conexao;

class Transacao {
public:
    enum class Modo { Escrita, Leitura };
    explicit Transacao(Conexao& c, bool iniciar = true, Modo modo = Modo::Escrita);
    // Transação só de leitura: não grava nada na base além dos contadores do cabeçalho.
    static Transacao leitura(Conexao& c) { return Transacao(c, true, Modo::Leitura); }
    ~Transacao();
    Transacao(const Transacao&) = delete;
    Transacao& operator=(const Transacao&) = delete;
    Transacao(Transacao&& o) noexcept : c_(o.c_), tr_(o.tr_), modo_(o.modo_), numero_(o.numero_) { o.tr_ = nullptr; }

    void iniciar();
    void commit();
    void rollback();  // nunca lança
    bool ativa() const { return tr_ != nullptr; }
    // Número da transação no servidor (CURRENT_TRANSACTION): é a versão (RDB$RECORD_VERSION)
    // que as linhas gravadas por ela terão depois do commit.
    int64_t numero();

    Conexao& conexao() const { return c_; }
    Firebird::ITransaction* handle() const { return tr_; }

private:
    Conexao& c_;
    Firebird::ITransaction* tr_ = nullptr;
    Modo modo_;
    int64_t numero_ = 0;
};

// Ponto de salvamento dentro de uma transação: o que foi feito depois dele é desfeito no
// destrutor, salvo quando liberado. Serve para gravar várias unidades numa transação só,
// cada uma inteira ou ausente.
class PontoSalvamento {
public:
    PontoSalvamento(Transacao& tr, std::string nome);
    ~PontoSalvamento();
    PontoSalvamento(const PontoSalvamento&) = delete;
    PontoSalvamento& operator=(const PontoSalvamento&) = delete;

    // Mantém o que foi feito desde o ponto (o ponto deixa de existir).
    void liberar();
    // Desfaz o que foi feito desde o ponto. Lança ErroBanco quando a base não consegue
    // desfazer (conexão perdida): então a transação inteira não serve mais.
    void desfazer();

private:
    Transacao& tr_;
    std::string nome_;
    bool ativo_ = true;
};

}  // namespace kov::fb
