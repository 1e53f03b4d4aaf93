#include "station/alarm_delivery.h"

#include <chrono>

#include "common/log.h"
#include "config/profile_file.h"
#include "platform/computer.h"
#include "platform/errors.h"
#include "platform/program_runner.h"
#include "protocols/smtp_client.h"
#include "station/run_journal.h"

namespace ferrolin {

namespace {

// An alarm command that has not ended by then is stopped; the run's end must not hang on it.
constexpr auto kCommandTimeout = std::chrono::seconds(60);

std::string JoinedAddresses(const std::vector<std::string>& addresses) {
    std::string text;
    for (const std::string& address : addresses) text += (text.empty() ? "" : ", ") + address;
    return text;
}

void Note(RunContext& run, AlarmDelivery& delivery, const std::string& line) {
    WriteLog(0, run.LogFile, line);
    delivery.lines.push_back(line);
}

void SendMailAlarm(RunContext& run, const AlarmSettings& settings, AlarmKind kind,
                   const RunRecord& record, AlarmDelivery& delivery) {
    TextMail mail;
    mail.from = settings.mailFrom.empty() ? "ferrolin@" + record.host : settings.mailFrom;
    mail.to = settings.mailTo;
    mail.subject = AlarmSubject(kind, record);
    mail.body = AlarmBody(kind, record);
    mail.date = LocalDateTimeToUnix(run.clock().Now());
    const std::string message = ComposeTextMail(mail);
    std::string error = "MailFrom or MailTo holds no usable address";
    SmtpDelivery smtp;
    smtp.server = settings.smtpServer;
    smtp.user = settings.smtpUser;
    smtp.password = settings.smtpPassword;
    const bool sent = !message.empty() && SendMail(
                                              smtp, mail.from, mail.to, message,
                                              [&run] { run.surfaces().ProcessMessages(); }, error);
    delivery.mailSent = sent;
    Note(run, delivery,
         sent ? "Alarm mail sent to " + JoinedAddresses(settings.mailTo)
              : "Alarm mail to " + JoinedAddresses(settings.mailTo) + " not sent: " + error);
}

void RunAlarmCommand(RunContext& run, const AlarmSettings& settings, AlarmKind kind,
                     const RunRecord& record, AlarmDelivery& delivery) {
    const std::vector<std::string> argv = platform::SplitCommandLine(settings.command);
    const platform::ProgramOutcome outcome = platform::RunProgram(
        argv, RunRecordJson(record) + "\n", {"FERROLIN_ALARM=" + std::string(AlarmKindName(kind))},
        kCommandTimeout, [&run] { run.surfaces().ProcessMessages(); });
    const std::string name = "Alarm command " + settings.command;
    if (!outcome.started) {
        Note(run, delivery,
             name + " could not be started: " + platform::ErrorMessage(outcome.startError));
    } else if (outcome.timedOut) {
        Note(run, delivery,
             name + " stopped after " + std::to_string(kCommandTimeout.count()) + " seconds");
    } else if (outcome.exitCode < 0) {
        Note(run, delivery, name + " ended by a signal");
    } else {
        delivery.commandDone = outcome.exitCode == 0;
        Note(run, delivery, name + " ended with exit code " + std::to_string(outcome.exitCode));
    }
}

}  // namespace

AlarmDelivery SendAlarm(RunContext& run, const AlarmSettings& settings, AlarmKind kind,
                        const RunRecord& record) {
    AlarmDelivery delivery;
    delivery.mailWanted = settings.MailWanted();
    delivery.commandWanted = settings.CommandWanted();
    if (delivery.mailWanted) SendMailAlarm(run, settings, kind, record, delivery);
    if (delivery.commandWanted) RunAlarmCommand(run, settings, kind, record, delivery);
    return delivery;
}

std::optional<AlarmDelivery> SendTestAlarm(RunContext& run) {
    const AlarmSettings settings = ReadAlarmSettings(ProfileFile(run.IniFilename, run.IniCache));
    if (!settings.AnyWanted()) return std::nullopt;
    RunRecord record;
    if (std::optional<RunRecord> last = LastRunRecord(run.ProgramDir)) {
        record = std::move(*last);
    } else {
        record.host = platform::ComputerName();
    }
    return SendAlarm(run, settings, AlarmKind::Test, record);
}

void AlarmAfterRun(RunContext& run, const RunRecord& record, std::optional<RunOutcome> previous) {
    const AlarmSettings settings = ReadAlarmSettings(ProfileFile(run.IniFilename, run.IniCache));
    if (!settings.AnyWanted()) return;
    const int64_t now = record.end;
    const std::optional<int64_t> lastFailure = ReadLastFailureAlarm(run.ProgramDir);
    const AlarmKind kind = DecideAlarm(settings, record.outcome, previous, lastFailure, now);
    if (kind == AlarmKind::None) {
        if (record.outcome != RunOutcome::Ok) {
            WriteLog(0, run.LogFile,
                     "Alarm not sent: the last failure alarm went out less than " +
                         std::to_string(settings.quietMinutes) + " minutes ago");
        }
        return;
    }
    const AlarmDelivery delivery = SendAlarm(run, settings, kind, record);
    // Remembered only once it reached someone: an alarm that went nowhere is tried again
    // at the next failure.
    if (kind == AlarmKind::Failure && delivery.AnySent())
        WriteLastFailureAlarm(run.ProgramDir, now);
    if (kind == AlarmKind::Recovered && lastFailure)
        WriteLastFailureAlarm(run.ProgramDir, std::nullopt);
}

}  // namespace ferrolin
