#pragma once
// Porta de conversa com o usuário. O núcleo nunca abre diálogos: chama esta interface,
// que a interface gráfica implementa com caixas de mensagem, o kov-cli com stderr e
// respostas de linha de comando, e os testes com um dublê que registra cada texto.
#include <stdexcept>
#include <string>

namespace kov {

enum class TipoMensagem { Informacao, Aviso, Erro, Confirmacao };

class Interacao {
public:
    virtual ~Interacao() = default;
    // Caixa com um botão Ok.
    virtual void mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) = 0;
    // Pergunta Sim/Não; verdadeiro para Sim.
    virtual bool pergunta(const std::string& titulo, const std::string& texto) = 0;
    // Caixa de erro padrão da aplicação (erro levantado que encerra o comando atual).
    virtual void erro(const std::string& texto) { mensagem(TipoMensagem::Erro, "Erro", texto); }
    virtual std::string escolherPasta(const std::string& titulo, const std::string& inicial) { return {}; }
    virtual void mostrarStatus(const std::string& texto) {}
    virtual void limparStatus() {}
    // Pergunta de três saídas quando o arquivo de cópia de segurança do dia já existe:
    // "S" sobrescrever, "N" não gravar, "R" gravar com outro nome; vazio quando a janela é
    // fechada sem resposta.
    virtual std::string opcoesArquivoExistente() { return "S"; }
    // Andamento de um trabalho longo ('feito' de 'total'; total 0 quando desconhecido).
    virtual void progresso(unsigned long long feito, unsigned long long total) {}
};

// Erro do sistema com o texto exato a mostrar ao usuário.
class ErroSistema : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Interrupção silenciosa: a mensagem já foi mostrada; as interfaces não exibem nada.
// 'campo' nomeia a coluna que a tela deve focar, quando há uma.
class Abortar : public std::exception {
public:
    Abortar() = default;
    explicit Abortar(std::string campo) : campo(std::move(campo)) {}
    const char* what() const noexcept override;
    std::string campo;
};

// Erro levantado que aponta a coluna que o provocou (a tela foca o campo).
class ErroCampo : public ErroSistema {
public:
    ErroCampo(std::string campo, const std::string& texto) : ErroSistema(texto), campo(std::move(campo)) {}
    std::string campo;
};

}  // namespace kov
