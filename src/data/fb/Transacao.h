#pragma once
// Transação de leitura confirmada (read committed, record version) que espera
// por bloqueios. Desfaz no destrutor se não foi confirmada.
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
    Transacao(Transacao&& o) noexcept : c_(o.c_), tr_(o.tr_), modo_(o.modo_) { o.tr_ = nullptr; }

    void iniciar();
    void commit();
    void rollback();  // nunca lança
    bool ativa() const { return tr_ != nullptr; }

    Conexao& conexao() const { return c_; }
    Firebird::ITransaction* handle() const { return tr_; }

private:
    Conexao& c_;
    Firebird::ITransaction* tr_ = nullptr;
    Modo modo_;
};

}  // namespace kov::fb
