#pragma once
// Preparação da aplicação gráfica, feita uma vez antes de qualquer janela: título,
// formatos de data e números do Brasil, textos padrão do Qt em português e os textos
// das caixas de mensagem.
#include <QObject>
#include <QString>

class QApplication;

namespace kov::ui {

// Formatos que valem para todas as telas e impressos.
inline const QString FormatoData = QStringLiteral("dd/MM/yyyy");
inline const QString FormatoHora = QStringLiteral("HH:mm:ss");
inline constexpr QChar SeparadorMilhar = u'.';
inline constexpr QChar SeparadorDecimal = u',';

// Título "KOV", localidade português do Brasil como padrão, tradução das caixas e
// diálogos do Qt e o filtro que põe em português toda caixa de mensagem mostrada.
void PrepararAplicacao(QApplication& app);

// Filtro de eventos da aplicação: ao aparecer, toda QMessageBox recebe os botões e o
// título padrão em português, também as criadas pelas funções estáticas do Qt.
class FiltroCaixasMensagem : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool eventFilter(QObject* alvo, QEvent* evento) override;
};

}  // namespace kov::ui
