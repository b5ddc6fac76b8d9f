#include "HeroViewModel.h"

#include "WeatherFormatting.h"

#include <QCoreApplication>

namespace nimbra {

namespace {

QStringList trimmedPieces(const QString& text) {
    QStringList out;
    for (const QString& piece : text.split(u',', Qt::SkipEmptyParts)) {
        const QString trimmed = piece.trimmed();
        if (!trimmed.isEmpty())
            out.append(trimmed);
    }
    return out;
}

QString withoutEndPeriods(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == u'.')
        ++start;
    while (end > start && text.at(end - 1) == u'.')
        --end;
    return text.mid(start, end - start);
}

QString sunriseTitle() {
    return QCoreApplication::translate("HeroViewModel", "Sunrise");
}

bool isDescriptor(const QString& part) {
    // The words the next-hours summary writes, in the language it was written in.
    for (const char* word : {"dry", "breezy", "windy", "light winds"})
        if (part.compare(QCoreApplication::translate("ConsensusEngine", word), Qt::CaseInsensitive) == 0)
            return true;
    for (const char* word :
         {QT_TRANSLATE_NOOP("HeroViewModel", "humid"), QT_TRANSLATE_NOOP("HeroViewModel", "muggy")})
        if (part.compare(QCoreApplication::translate("HeroViewModel", word), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

HeroPresentationMetrics heroPresentationMetrics(WeatherHeroPresentation presentation) {
    switch (presentation) {
    case WeatherHeroPresentation::standard:
        return {66, 74, 46, 2};
    case WeatherHeroPresentation::macPopover:
        return {70, 78, 51, 3};
    }
    return {70, 78, 51, 3};
}

std::optional<SunEvent> nextSunEvent(const QList<DailyForecast>& daily, const QDateTime& now) {
    std::optional<SunEvent> best;
    const auto consider = [&](const QString& title, const std::optional<QDateTime>& date) {
        if (!date || !date->isValid() || *date < now)
            return;
        if (!best || *date < best->date)
            best = SunEvent{title, *date};
    };
    for (const DailyForecast& day : daily) {
        consider(sunriseTitle(), day.sunrise);
        consider(QCoreApplication::translate("HeroViewModel", "Sunset"), day.sunset);
    }
    return best;
}

std::optional<QString> heroRegion(const WeatherLocation& location) {
    const QStringList pieces = trimmedPieces(location.subtitle);
    if (pieces.isEmpty() || pieces.last() == location.name)
        return std::nullopt;
    return pieces.last();
}

QString heroSummarySentence(const QString& nextPrecipitationSummary, const QString& conditionTitle) {
    const QString t = nextPrecipitationSummary.trimmed();
    if (t.isEmpty())
        return waitingForForecastSentence();
    QStringList parts = trimmedPieces(withoutEndPeriods(t));
    if (!parts.isEmpty() && !conditionTitle.isEmpty() &&
        parts.first().compare(conditionTitle, Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    if (parts.isEmpty())
        return t;
    QString head;
    if (parts.size() >= 2 && isDescriptor(parts[0]) && isDescriptor(parts[1])) {
        head = QCoreApplication::translate("HeroViewModel", "%1 and %2").arg(parts[0], parts[1]);
        parts.remove(0, 2);
    } else {
        head = parts.takeFirst();
    }
    parts.prepend(head);
    QString joined = parts.join(QStringLiteral(", "));
    joined[0] = joined.at(0).toUpper();
    return joined + u'.';
}

QList<WeatherContextMetricItem> heroMetricItems(const std::optional<WeatherSample>& current,
                                                const QList<DailyForecast>& daily,
                                                const WeatherSettings& settings, const QDateTime& now,
                                                const LocalCalendar& calendar) {
    QList<WeatherContextMetricItem> items;
    if (!current)
        return items;
    items.append({QCoreApplication::translate("HeroViewModel", "Rain"),
                  WeatherFormatting::precipitationProbability(current->precipitationProbability),
                  QStringLiteral("drop.fill"), ColorToken::of(Tint::blue)});
    if (current->windKph)
        items.append({QCoreApplication::translate("HeroViewModel", "Wind"),
                      WeatherFormatting::wind(*current->windKph, settings.windSpeedUnit),
                      QStringLiteral("wind"), ColorToken::of(Tint::teal)});
    if (current->humidity)
        items.append({QCoreApplication::translate("HeroViewModel", "Humidity"),
                      WeatherFormatting::wholeNumberText(*current->humidity * 100) + u'%',
                      QStringLiteral("humidity.fill"), ColorToken::of(Tint::cyan)});
    if (const auto event = nextSunEvent(daily, now)) {
        const bool sunrise = event->title == sunriseTitle();
        items.append({event->title, WeatherFormatting::compactTime(event->date, calendar),
                      sunrise ? QStringLiteral("sunrise.fill") : QStringLiteral("sunset.fill"),
                      ColorToken::of(Tint::yellow)});
    }
    return items.mid(0, 4);
}

HeroViewModel buildHeroViewModel(const std::optional<ConsensusForecast>& forecast,
                                 const WeatherSettings& settings, WeatherHeroPresentation presentation,
                                 const QDateTime& now, const LocalCalendar& calendar) {
    HeroViewModel vm;
    vm.metrics = heroPresentationMetrics(presentation);
    vm.temperatureStyle = {
        FontToken::system(vm.metrics.temperatureFontSize, FontWeight::semibold, FontDesign::rounded).digits(),
        ColorToken::of(Tint::primary)};

    const std::optional<WeatherSample> current = forecast ? forecast->current : std::nullopt;
    vm.title = forecast ? forecast->location.name : QStringLiteral("Nimbra");
    vm.region = forecast ? heroRegion(forecast->location) : std::nullopt;
    vm.iconCondition = current ? current->condition : WeatherCondition::unknown;
    vm.temperature = current ? WeatherFormatting::temperature(current->temperatureC, settings.temperatureUnit)
                             : QStringLiteral("--\u00B0");
    vm.conditionTitle = current ? conditions::title(current->condition)
                                : QCoreApplication::translate("HeroViewModel", "No Reading");
    if (current && current->apparentTemperatureC)
        vm.feelsLike = QCoreApplication::translate("HeroViewModel", "Feels %1")
                           .arg(WeatherFormatting::temperature(*current->apparentTemperatureC,
                                                               settings.temperatureUnit));
    vm.metricItems = heroMetricItems(current, forecast ? forecast->daily : QList<DailyForecast>{}, settings,
                                     now, calendar);
    vm.summary = forecast ? heroSummarySentence(forecast->nextPrecipitationSummary,
                                                current ? conditions::title(current->condition) : QString())
                          : waitingForForecastSentence();
    if (forecast)
        vm.statusLine = WeatherFormatting::dataQualitySentence(*forecast);
    return vm;
}

} // namespace nimbra
