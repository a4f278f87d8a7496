#pragma once
// Instalação por usuário. Instalado por um pacote, o programa fica numa pasta do sistema
// (/opt/kov/EXE) em que o usuário não grava; então cada usuário trabalha numa raiz própria,
// com o mesmo desenho da instalação portátil, e o resto do programa não vê diferença:
//
//   <raiz>/EXE/       KOV.ini (copiado do pacote na primeira partida), temp/ e ligações
//                     simbólicas para os recursos do pacote (figuras, ajuda, Msgs.dat, chaves)
//   <raiz>/BD/KOV.GDB a base, copiada da base modelo do pacote (<pasta>/../BD/KOV.GDB)
//   <raiz>/backup/    pasta padrão das cópias de segurança
//
// O KOV.ini e a base do usuário nunca são sobrescritos. A instalação portátil (pasta do
// programa gravável, sem a marca) continua usando a própria pasta.
#include <string>

namespace kov {

// Arquivo que marca a pasta do programa como instalação compartilhada: com ele, mesmo quem
// pode gravar na pasta (root) usa a sua raiz, e a base modelo do pacote nunca é aberta.
inline constexpr const char* MARCA_INSTALACAO_COMPARTILHADA = "instalacao-compartilhada";

// A pasta do programa é de uma instalação compartilhada: sem permissão de gravação ou com a marca.
bool InstalacaoCompartilhada(const std::string& pastaPrograma);

// $XDG_DATA_HOME/kov, ou ~/.local/share/kov (a pasta pessoal de HOME ou, sem ela, a da conta).
// Vazio quando não há pasta pessoal.
std::string RaizDoUsuario();

// Cria ou completa a raiz do usuário a partir da pasta do programa compartilhada e devolve
// <raiz>/EXE/ (com barra final). Cria as pastas que faltam, copia o KOV.ini e a base modelo
// quando faltam (por um nome temporário, e só recebem o nome final se nenhum arquivo tiver
// esse nome), liga os recursos novos do pacote e tira as ligações para recursos que ele não
// tem mais. Lança std::runtime_error com a mensagem para o usuário.
std::string PrepararRaizDoUsuario(const std::string& pastaPrograma, const std::string& raiz);

// A pasta do programa desta execução (com barra final): a do executável numa instalação
// portátil, ou a EXE/ da raiz do usuário, preparada na primeira chamada. Lança
// std::runtime_error quando a raiz do usuário não pode ser preparada.
std::string PastaDoProgramaEmUso();

}  // namespace kov
